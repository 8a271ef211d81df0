// Raises a language runtime's exception from ModifySamples, as plug-ins
// written in Delphi (0x0EEDFADE) and other languages do. RAISE_CODE is the
// code; with HANDLED the plug-in catches it itself, as Delphi code does
// inside its own try/except, and goes on working: it raises on every call.
// Without, the third call's exception is left to the host.
#include <windows.h>

#include <intrin.h>

#include "PluginModule.h"

#ifndef HANDLED
#define HANDLED 0
#endif

namespace {

constexpr DWORD kUnwinding = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND

// An SEH registration record on the thread's chain (fs:[0]), as the
// Delphi runtime pushes one for each try block.
struct HandlerFrame {
  HandlerFrame* previous;
  void* handler;
};

EXCEPTION_DISPOSITION __cdecl OwnHandler(EXCEPTION_RECORD* record, void*, CONTEXT*, void*) {
  if (record->ExceptionCode != RAISE_CODE || (record->ExceptionFlags & kUnwinding)) {
    return ExceptionContinueSearch;
  }
  return ExceptionContinueExecution;  // handled: RaiseException returns
}

__attribute__((noinline)) void RaiseAndCatch() {
  volatile HandlerFrame frame = {reinterpret_cast<HandlerFrame*>(__readfsdword(0)),
                                 reinterpret_cast<void*>(&OwnHandler)};
  __writefsdword(0, reinterpret_cast<DWORD>(&frame));
  RaiseException(RAISE_CODE, 0, 0, nullptr);
  __writefsdword(0, reinterpret_cast<DWORD>(frame.previous));
}

int calls = 0;

int __cdecl Init(winampDSPModule*) {
  calls = 0;
  return 0;
}

int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  ++calls;
  if (HANDLED) {
    RaiseAndCatch();
  } else if (calls == 3) {
    RaiseException(RAISE_CODE, 0, 0, nullptr);
  }
  return frames;
}

}  // namespace

#define VT_TEXT(x) #x
#define VT_CODE(code) VT_TEXT(code)
#if HANDLED
char pluginDescription[] = "Vellumtone test: handles " VT_CODE(RAISE_CODE);
#else
char pluginDescription[] = "Vellumtone test: raises " VT_CODE(RAISE_CODE);
#endif
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, Init,
                                ModifySamples,     NoQuit,  nullptr};
