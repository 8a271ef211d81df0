#pragma once

#include <windows.h>

#include <string>
#include <thread>

// A user at a common file dialog, on a helper thread: waits for the dialog
// with `title` (in any process), notes what its file-name box holds, types
// `typed` and presses OK (or Cancel when `typed` is null). A dialog still
// open after OK (the file did not do) has its message box dismissed and is
// cancelled. The user keeps copies of the texts it is given, so a caller may
// pass temporaries.
class DialogUser {
 public:
  DialogUser(const wchar_t* title, const wchar_t* typed);
  ~DialogUser();

  // Waits until the user is done; read the fields below only after it.
  void Finish();

  std::wstring initialText;
  bool closedByOk = false;
  bool sawMessageBox = false;

 private:
  void Use();

  const std::wstring title_;
  const std::wstring typed_;
  const bool cancels_;
  std::thread thread_;  // last: starts once the texts above are in place
};

// Waits for a visible top-level dialog with this caption; null after
// `timeoutMs`.
HWND WaitForDialog(const wchar_t* caption, int timeoutMs = 30000);
// The same for a window of any class (null: any).
HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* caption, int timeoutMs = 30000);
