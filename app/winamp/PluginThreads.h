#pragma once

#include <windows.h>

#include <cstdint>

class GuardedModule;

// The plug-in's own threads, and what else of a library keeps running
// after its last call. PluginExitTrap points a library's imports of
// CreateThread, _beginthread and _beginthreadex here: the thread starts
// through a guard of the program's, in the plug-in's floating-point state.
// A fault on it (or an attempt to end the program) ends that thread alone,
// marks the plug-in in use faulted and tells the window (posts `message`),
// which tells the user once; a running job ends at its next slice. The
// library is pinned first: code that a thread still runs is never unmapped.
// A library that registers a vectored handler, a top-level filter, a hook
// or a timer procedure through its imports is pinned the same way, since
// the system calls that code after the library is gone.
class PluginThreads {
 public:
  // The plug-in whose threads' faults count, and the window to tell. The
  // window's thread, once.
  static void Watch(GuardedModule* plugin, HWND window, UINT message);
  // The library now in use (null: none); a thread of an earlier one, left
  // running, dies alone and tells nobody.
  static void SetLibrary(HMODULE library);
  // True on a thread that a plug-in started.
  static bool IsOwnThread();
  // Keeps the library that holds `code` loaded until the process ends.
  static void Pin(const void* code);

  // The replacements, with the signatures of what they replace.
  static HANDLE WINAPI CreateThread(SECURITY_ATTRIBUTES* security, SIZE_T stack,
                                    LPTHREAD_START_ROUTINE routine, void* parameter, DWORD flags,
                                    DWORD* id);
  static uintptr_t __cdecl BeginThread(void(__cdecl* routine)(void*), unsigned stack,
                                       void* parameter);
  static uintptr_t __cdecl BeginThreadEx(void* security, unsigned stack,
                                         unsigned(__stdcall* routine)(void*), void* parameter,
                                         unsigned flags, unsigned* id);
  static PVOID WINAPI AddVectoredExceptionHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler);
  static PVOID WINAPI AddVectoredContinueHandler(ULONG first, PVECTORED_EXCEPTION_HANDLER handler);
  static LPTOP_LEVEL_EXCEPTION_FILTER WINAPI SetUnhandledExceptionFilter(
      LPTOP_LEVEL_EXCEPTION_FILTER filter);
  static UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure);
  static HHOOK WINAPI SetWindowsHookExA(int type, HOOKPROC procedure, HINSTANCE module,
                                        DWORD thread);
  static HHOOK WINAPI SetWindowsHookExW(int type, HOOKPROC procedure, HINSTANCE module,
                                        DWORD thread);
};
