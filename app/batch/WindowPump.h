#pragma once

#include <windows.h>

#include "BusyPump.h"
#include "KComponent.h"

// Keeps the window painting during long work on its thread, and shows how
// far the work is in `box` ("Adding files: 1200…"). Only paint messages are
// handled meanwhile, so no button of the window can start anything else.
class WindowPump : public BusyPump {
 public:
  WindowPump(KComponent& box, const wchar_t* what) : box_(box), what_(what) {}
  void KeepResponsive(size_t done) override;

 private:
  KComponent& box_;
  const wchar_t* what_;
  DWORD lastPump_ = GetTickCount();
};
