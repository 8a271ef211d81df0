#pragma once

#include <windows.h>

#include <atomic>

// Asks the user whether to quit when an entry into a plug-in on the
// window's thread does not return: LoadLibrary (its DllMain) and Quit.
// The window's thread is stuck then, so the question comes from a thread
// of the watchdog's own. A DllMain that deadlocks holds the loader lock,
// and then loading a DLL, finding a resource, creating or ending a thread
// and ExitProcess all hang: everything the question needs (the thread, its
// window, the icon) is made beforehand, at Start, and Yes ends the program
// with TerminateProcess, which needs none of them.
class HangWatchdog {
 public:
  // How long a plug-in call may take before the user is asked whether to
  // quit: at load and close here, and for a job's slice by the main window.
  static constexpr DWORD kNotRespondingMs = 5000;

  // Once, on the window's thread; `owner` is the main window.
  static void Start(HWND owner);
  // The window's thread enters (Arm) or has left (Disarm) a watched call.
  static void Arm();
  static void Disarm();

 private:
  static DWORD WINAPI Watch(void* unused);
  static HWND MakeQuestion();
  static LRESULT CALLBACK QuestionProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
};

// Arms the watchdog for the lifetime of the object.
class WatchedEntry {
 public:
  WatchedEntry() { HangWatchdog::Arm(); }
  WatchedEntry(const WatchedEntry&) = delete;
  WatchedEntry& operator=(const WatchedEntry&) = delete;
  ~WatchedEntry() { HangWatchdog::Disarm(); }
};
