#pragma once

#include "KComponent.h"
#include "KTrackBarListener.h"

// A horizontal slider ("msctls_trackbar32") without tick marks. The object
// keeps the full range; the window gets the low 16 bits of each bound.
class KTrackBar : public KComponent {
 public:
  KTrackBar();

  bool Create() override;
  ~KTrackBar() override;

  virtual void SetRange(int minimum, int maximum);
  virtual void SetValue(int value);
  // The value last set or read from the window on a move; never asks it.
  virtual int GetValue();
  virtual void SetListener(KTrackBarListener* listener);
  // Takes the window's position, then tells the listener.
  virtual void FireMove();

 private:
  void SendRange();
  void SendValue();

  int minimum_;
  int maximum_;
  int value_;
  KTrackBarListener* listener_;
};
