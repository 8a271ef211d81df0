#pragma once

#include <windows.h>

// Old plug-ins end the program when something goes wrong for them:
// ExitProcess, exit(), abort() (also what an uncaught C++ exception of a
// MinGW-built DLL comes to, through std::terminate), TerminateProcess on
// their own process, or ExitThread on the thread that called them. The trap
// points a library's calls to those functions at replacements of the
// program's own before its DllMain runs, and does the same for every DLL
// loaded after it. A replacement raises kEndCode, which the call guard
// catches like any fault: the plug-in counts as crashed, and the message
// can name what it tried.
//
// Covered: the import address table and the delay-load table of every DLL
// loaded from outside the Windows folder, matched by name, or by address
// where an old linker (Borland's) left no name table; what such a DLL asks
// GetProcAddress for; ExitProcess and what Wine forwards it to
// (ntdll's RtlExitUserProcess), FatalAppExit, TerminateProcess on the
// current process, ExitThread on a thread that a plug-in call borrows;
// exit, _exit, _Exit, quick_exit, _cexit, _c_exit, abort, _amsg_exit and
// terminate of every C runtime (msvcrt, msvcr*, ucrtbase and its
// api-ms-win-crt forwarders); and abort reached inside the shared msvcrt
// (its terminate, say), through a SIGABRT handler re-armed each time.
// A C runtime linked into the plug-in statically ends the process through
// kernel32's ExitProcess or TerminateProcess, which are caught.
//
// What cannot be caught: system calls made directly (NtTerminateProcess by
// its number, as no import is involved), __fastfail (int 0x29, which ends
// the process in the kernel without running any handler), and exits from
// inside the system's own DLLs, whose tables are left alone.
class PluginExitTrap {
 public:
  // Once, on the window's thread, before the first plug-in is loaded.
  static void Install();

  // What a replacement raises: non-continuable, of the program's own code.
  static constexpr DWORD kEndCode = 0xE056454E;

  // The function a plug-in called on this thread to end the program, as
  // the user may be told it ("ExitProcess"), and clears it; null when none.
  static const wchar_t* TakeAttempt();
};
