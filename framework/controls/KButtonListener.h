#pragma once

class KButton;

// Told when the user presses a button it listens to.
class KButtonListener {
 public:
  virtual ~KButtonListener() = default;
  virtual void ButtonPressed(KButton* /*button*/) {}
};
