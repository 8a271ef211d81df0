#include "WindowPump.h"

#include <string>

namespace {

// Often enough to look alive, seldom enough to cost nothing.
constexpr DWORD kPumpIntervalMs = 50;

}  // namespace

void WindowPump::KeepResponsive(size_t done) {
  DWORD now = GetTickCount();
  if (now - lastPump_ < kPumpIntervalMs) return;
  lastPump_ = now;
  box_.SetText(KString((std::wstring(what_) + std::to_wstring(done) + L"\u2026").c_str()));
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
    DispatchMessageW(&message);
  }
}
