#include "PluginCallGuard.h"

#include <intrin.h>
#include <malloc.h>

namespace {

// An SEH registration record (the first two fields, as the system walks
// them), followed by where to jump back to.
struct GuardFrame {
  GuardFrame* previous;
  void* handler;
  void* jump[5];
  DWORD code;
};

constexpr DWORD kUnwinding = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND

// Warnings and errors (the top bit of the code) end the call: access
// violations, stack overflows, breakpoints left in, C++ exceptions that
// escaped. Informational exceptions (debug output) pass on.
bool IsFault(DWORD code) { return (code & 0x80000000u) != 0; }

EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record, void* frame, CONTEXT*,
                                           void*) {
  if ((record->ExceptionFlags & kUnwinding) || !IsFault(record->ExceptionCode)) {
    return ExceptionContinueSearch;
  }
  GuardFrame* guard = static_cast<GuardFrame*>(frame);
  guard->code = record->ExceptionCode;
  __writefsdword(0, reinterpret_cast<DWORD>(guard->previous));
  __builtin_longjmp(guard->jump, 1);
}

}  // namespace

__attribute__((noinline)) bool PluginCallGuard::Run(void (*call)(void*), void* context) {
  volatile GuardFrame frame = {};
  frame.previous = reinterpret_cast<GuardFrame*>(__readfsdword(0));
  frame.handler = reinterpret_cast<void*>(&GuardHandler);
  if (__builtin_setjmp(const_cast<void**>(frame.jump))) {
    // Back from the handler, with the chain restored. A stack overflow used
    // up the stack's guard page; it is put back for the next overflow.
    if (frame.code == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
    return false;
  }
  __writefsdword(0, reinterpret_cast<DWORD>(&frame));
  call(context);
  __writefsdword(0, reinterpret_cast<DWORD>(frame.previous));
  return true;
}
