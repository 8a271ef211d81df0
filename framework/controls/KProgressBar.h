#pragma once

#include "KComponent.h"

// A progress bar ("msctls_progress32") showing a value from 0 to 100.
class KProgressBar : public KComponent {
 public:
  KProgressBar();

  bool Create() override;
  ~KProgressBar() override;

  virtual int GetValue();
  // Stored unclamped; may be called from another thread than the window's.
  virtual void SetValue(int value);

 private:
  volatile int value_;
};
