#pragma once

#include <windows.h>

// Runs one call into a plug-in so that a fault inside it (an access
// violation, an illegal instruction, a division by zero, a stack overflow,
// any exception nothing in the plug-in caught) comes back to the caller as
// a failed call instead of ending the program.
//
// How: the guard registers an exception handler frame of its own on the
// thread's SEH chain (fs:[0]) around the call, as a compiler's __try does;
// GCC has no __try for 32-bit x86. The plug-in's own handlers come first,
// so a plug-in that catches its own exceptions keeps working. When nothing
// inside handles an exception, the guard's handler puts the chain back as it
// was before the call and jumps straight back to the guard (a
// __builtin_longjmp: nothing is unwound, so no code of the plug-in runs).
//
// Why that is safe enough: the abandoned stack frames belong to the plug-in
// and to the system's exception dispatch, and nothing refers to them once
// the chain is restored. What may be left behind is the plug-in's own state:
// its memory, a lock it held, a window it was making. The program never
// calls the plug-in again after a fault, and does not even call its Quit or
// free its library, since either could run into that state; the library
// stays loaded, unused, until the program ends. Locks of the C runtime or
// of the system taken by the plug-in could still be held; that is the one
// risk left, and it is the plug-in's, not the program's data.
class PluginCallGuard {
 public:
  // Once at start: faults in window procedures that the system calls back
  // reach the guard instead of being swallowed by the system.
  static void LetCallbackFaultsThrough();

  // Calls `call(context)`; false when it faulted.
  static bool Run(void (*call)(void* context), void* context);

  // True while this thread is inside a guarded call: it is the program's
  // thread, lent to the plug-in.
  static bool IsInsideCall();

  // Ends the guarded call this thread is inside, from the program's own
  // code that the call reached (a message the plug-in's own loop
  // dispatched), as a fault there would: its Run returns false. For a
  // plug-in abandoned while its settings window's loop runs on the window's
  // thread; nothing else would ever end that loop.
  [[noreturn]] static void Leave();

  // The same for any callable without arguments.
  template <typename Call>
  static bool Run(Call& call) {
    return Run([](void* context) { (*static_cast<Call*>(context))(); }, &call);
  }
};
