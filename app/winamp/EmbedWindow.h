#pragma once

#include <windows.h>

// What a plug-in gives Winamp's embedding function: the frame's handle
// comes back in `me`, and the frame is made at `r`.
struct embedWindowState {
  HWND me;
  int flags;
  RECT r;
  void* user_ptr;
  int extra_data[64];
};

// The frames Winamp lends plug-ins for their windows (the function that
// IPC_GET_EMBEDIF hands out): an ordinary framed, resizable top-level
// window owned by the main window, which the plug-in fills with its own
// window and shows. Closing a frame hides it, as Winamp does, so the
// plug-in's window inside stays valid.
class EmbedWindow {
 public:
  // The window that owns every frame; set before plug-ins are loaded.
  static void SetOwner(HWND owner);
  static HWND __cdecl Create(embedWindowState* state);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static bool RegisterOnce();

  static HWND owner_;
};
