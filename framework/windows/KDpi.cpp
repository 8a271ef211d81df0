#include "KDpi.h"

namespace {

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

GetDpiForWindowFunction GetDpiForWindowOfSystem() {
  static auto function = [] {
    HMODULE user32 = GetModuleHandleW(L"user32");
    return reinterpret_cast<GetDpiForWindowFunction>(
        user32 ? reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")) : nullptr);
  }();
  return function;
}

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : KDpi::kDefault;
}

}  // namespace

UINT KDpi::OfWindow(HWND window) {
  GetDpiForWindowFunction getDpiForWindow = GetDpiForWindowOfSystem();
  UINT dpi = window && getDpiForWindow ? getDpiForWindow(window) : 0;
  return dpi ? dpi : SystemDpi();
}

LONG KDpi::FontHeight(int points, UINT dpi) {
  return -MulDiv(points, static_cast<int>(dpi), 72);
}
