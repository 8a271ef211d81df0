#pragma once

#include <windows.h>

#include "KString.h"

// The small modal list that lets the user pick one module of a plug-in
// library that offers several: the modules' descriptions, the first one
// preselected.
class ModuleChooser {
 public:
  // The chosen position, or -1 when the user cancels.
  static int Choose(HWND owner, const KString* descriptions, int count);

 private:
  struct Choice {
    const KString* descriptions;
    int count;
    int chosen;
  };
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static void Fill(HWND dialog, const Choice& choice);
};
