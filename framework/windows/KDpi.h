#pragma once

#include <windows.h>

// The scale a window is drawn at, in dots per inch (96 is 100 %).
class KDpi {
 public:
  static constexpr UINT kDefault = 96;

  // The window's own DPI where the system keeps one per window (Windows 10
  // 1607 on, looked up at run time); before that the system's, which every
  // window shares. 96 for a program that is not DPI-aware.
  static UINT OfWindow(HWND window);
  // The height of a font of `points` points at `dpi`, as a LOGFONT wants it
  // (negative: the character height, without the internal leading).
  static LONG FontHeight(int points, UINT dpi);
};
