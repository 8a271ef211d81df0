#pragma once

#include "KComponent.h"

// A single-line edit box ("EDIT"). Its text is read back from the window,
// so it includes what the user typed.
class KTextBox : public KComponent {
 public:
  KTextBox();

  bool Create() override;
  KString GetText() override;
  ~KTextBox() override;
};
