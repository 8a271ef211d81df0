#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestEnvironment.h"

// What a message box of the program said.
struct MessageBoxSeen {
  bool found = false;
  std::wstring caption;
  std::wstring text;
  LPCWSTR icon = nullptr;  // IDI_ERROR, IDI_WARNING, IDI_INFORMATION or null
};

// Starts the real mp3vellumtone.exe and works it from outside as a user
// does: its windows, controls, message boxes and file dialogs.
class AppDriver {
 public:
  AppDriver() = default;
  AppDriver(const AppDriver&) = delete;
  AppDriver& operator=(const AppDriver&) = delete;
  ~AppDriver();

  // Starts the program with `arguments` and waits for its main window; a
  // program this driver started before is ended first if it still runs.
  // `exe`: another copy of the program than the build's.
  bool Launch(const std::wstring& arguments = L"", const std::wstring& exe = L"");
  HWND Window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }

  // Posted, as a click that opens a modal window must be.
  void Click(int id) const;
  std::wstring Text(int id) const;
  bool IsEnabled(int id) const { return IsWindowEnabled(Control(id)) != 0; }
  int Selection(int id) const;
  // Picks position `index` of a drop-down list with the keyboard.
  void Pick(int id, int index) const;

  // Browse, type the path into the file dialog, OK; false if the dialog
  // did not take it.
  bool Choose(int browseId, const wchar_t* title, const std::wstring& path) const;

  // The program's message box on screen now, or null.
  HWND FindMessageBox() const;
  // Waits for the program's next message box, notes it, and presses
  // `button` (OK, or Yes or No for a question).
  MessageBoxSeen AnswerMessageBox(int timeoutMs = 20000, int button = IDOK) const;

  // Drops `paths` on the main window as a file manager does: a
  // WM_DROPFILES whose file list lies in the program's own memory.
  bool Drop(const std::vector<std::wstring>& paths) const;
  // Waits for the program's dialog captioned `caption` (the task dialog
  // before a batch, say), notes all its texts, and presses control `id`.
  MessageBoxSeen AnswerDialog(const wchar_t* caption, int id, int timeoutMs = 20000) const;

  void Close() const { PostMessageW(window_, WM_CLOSE, 0, 0); }
  // The exit code, or STILL_ACTIVE when it has not ended by then.
  DWORD WaitForExit(int timeoutMs = 20000) const;
  bool IsRunning() const { return WaitForExit(0) == STILL_ACTIVE; }
  HANDLE Process() const { return process_.hProcess; }

  // Saves the main window as it is on screen (a BMP file).
  bool SaveScreenshot(const std::wstring& path) const;

 private:
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
};

// A path of the build folder as the program can open it.
std::wstring BuildPath(const char* unixOrWindowsPath);
// The full path of a file in the current folder.
std::wstring Here(const std::wstring& name);

using TestEnvironment::PluginPath;
