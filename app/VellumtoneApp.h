#pragma once

#include "KApplication.h"

// Shows the main window as a modal dialog; arguments are not used.
class VellumtoneApp : public KApplication {
 public:
  // The exit code when the main window could not be made (0 after a close).
  static constexpr int kNoMainWindow = 2;

  int Execute(KString** arguments, int count) override;
};
