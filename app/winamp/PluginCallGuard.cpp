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

thread_local int callDepth = 0;

constexpr DWORD kUnwinding = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND

// Raised by OutputDebugStringA/W and by the debugger's thread naming; a
// debugger answers them, and without one the system handles them itself.
constexpr DWORD kDebugOutputA = 0x40010006;
constexpr DWORD kDebugOutputW = 0x4001000A;
constexpr DWORD kThreadName = 0x406D1388;

// Anything that nothing inside the plug-in handled ends the call: access
// violations, stack overflows, C++ exceptions that escaped, and the
// exceptions of other languages' runtimes, whatever their codes (Delphi's
// is 0x0EEDFADE). Only the debugger's informational codes pass on.
bool IsFault(DWORD code) {
  return code != kDebugOutputA && code != kDebugOutputW && code != kThreadName;
}

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

// 64-bit Windows (and so every 32-bit program on it) by default swallows an
// exception raised in a window procedure that the system called back from
// kernel mode (KB976038): the procedure just returns, the fault unseen, and
// the program would go on calling a broken plug-in. With the filter off the
// exception is dispatched on, along the thread's handler chain, to the
// guard. Looked up at run time: the functions came with Windows 7 SP1 (and
// the KB's update before it); Wine has neither, nor the swallowing.
void PluginCallGuard::LetCallbackFaultsThrough() {
  using GetPolicy = BOOL(WINAPI*)(LPDWORD);
  using SetPolicy = BOOL(WINAPI*)(DWORD);
  constexpr DWORD kCallbackFilterEnabled = 0x1;  // PROCESS_CALLBACK_FILTER_ENABLED
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto get = reinterpret_cast<GetPolicy>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "GetProcessUserModeExceptionPolicy")));
  auto set = reinterpret_cast<SetPolicy>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessUserModeExceptionPolicy")));
  DWORD flags = 0;
  if (get && set && get(&flags)) set(flags & ~kCallbackFilterEnabled);
}

__attribute__((noinline)) bool PluginCallGuard::Run(void (*call)(void*), void* context) {
  volatile GuardFrame frame = {};
  frame.previous = reinterpret_cast<GuardFrame*>(__readfsdword(0));
  frame.handler = reinterpret_cast<void*>(&GuardHandler);
  if (__builtin_setjmp(const_cast<void**>(frame.jump))) {
    // Back from the handler, with the chain restored. A stack overflow used
    // up the stack's guard page; it is put back for the next overflow.
    if (frame.code == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
    --callDepth;
    return false;
  }
  ++callDepth;
  __writefsdword(0, reinterpret_cast<DWORD>(&frame));
  call(context);
  __writefsdword(0, reinterpret_cast<DWORD>(frame.previous));
  --callDepth;
  return true;
}

bool PluginCallGuard::IsInsideCall() { return callDepth > 0; }

// Any code reaches the guard's handler; one of the program's own keeps it
// apart from the plug-ins' codes should it ever be looked at.
void PluginCallGuard::Leave() {
  constexpr DWORD kLeaveCode = 0xE0564C56;
  for (;;) RaiseException(kLeaveCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
}
