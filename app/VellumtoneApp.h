#pragma once

#include "KApplication.h"

// Shows the main window as a modal dialog; arguments are not used.
class VellumtoneApp : public KApplication {
 public:
  int Execute(KString** arguments, int count) override;
};
