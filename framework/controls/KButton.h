#pragma once

#include "KButtonListener.h"
#include "KComponent.h"

// A push button ("BUTTON"); a click reaches its one listener.
class KButton : public KComponent {
 public:
  KButton();

  bool Create() override;
  ~KButton() override;

  virtual void SetListener(KButtonListener* listener);
  virtual KButtonListener* GetListener();
  // Tells the listener, as a click does.
  virtual void FirePress();

 private:
  KButtonListener* listener_;
};
