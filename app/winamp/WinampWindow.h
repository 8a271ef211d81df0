#pragma once

#include <windows.h>

class WinampIpc;

// A hidden top-level window of Winamp's class "Winamp v1.x": plug-ins that
// look for Winamp with FindWindow find it and get the same answers to their
// WM_WA_IPC queries as from their parent window.
class WinampWindow {
 public:
  WinampWindow();
  WinampWindow(const WinampWindow&) = delete;
  WinampWindow& operator=(const WinampWindow&) = delete;
  ~WinampWindow();

  bool Create(WinampIpc* ipc);
  void Destroy();
  HWND GetHWND() const { return window_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_;
};
