// Plug-ins that leave code of theirs running outside their calls, as old
// DLLs do. THREAD_HOW 1: Init starts a thread (CreateThread) that faults
// once some sound has gone through. 2: Init starts a thread
// (_beginthreadex) that runs on for ever, after Quit too. 3: Init registers
// a vectored exception handler and a top-level filter and never removes
// them. The sound passes unchanged.
#include <windows.h>

#include <process.h>

#include "PluginModule.h"

#define THREAD_FAULTS 1
#define THREAD_RUNS_ON 2
#define THREAD_HANDLERS 3
#define THREAD_SWALLOWS 4

namespace {

volatile LONG calls = 0;
volatile LONG ticks = 0;

DWORD WINAPI FaultLater(void*) {
  while (calls < 3) Sleep(10);
  volatile int* nowhere = nullptr;
  *nowhere = 1;
  return 0;
}

unsigned __stdcall RunOnForEver(void*) {
  for (;;) {
    Sleep(10);
    InterlockedIncrement(&ticks);
  }
}

LONG CALLBACK PassOn(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_SEARCH; }
// Every fault "handled": the faulting instruction runs again, for ever.
LONG CALLBACK Swallow(EXCEPTION_POINTERS*) { return EXCEPTION_CONTINUE_EXECUTION; }

int __cdecl Init(winampDSPModule*) {
  calls = 0;
  if (THREAD_HOW == THREAD_FAULTS) {
    CloseHandle(CreateThread(nullptr, 0, FaultLater, nullptr, 0, nullptr));
  } else if (THREAD_HOW == THREAD_RUNS_ON) {
    CloseHandle(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, RunOnForEver, nullptr, 0, nullptr)));
  } else if (THREAD_HOW == THREAD_SWALLOWS) {
    AddVectoredExceptionHandler(1, Swallow);
  } else {
    AddVectoredExceptionHandler(1, PassOn);
    SetUnhandledExceptionFilter(PassOn);
  }
  return 0;
}

int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  if (InterlockedIncrement(&calls) == 3 && THREAD_HOW == THREAD_SWALLOWS) {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  }
  return frames;
}

}  // namespace

#define VT_TEXT(x) #x
#define VT_DESCRIPTION(n) "Vellumtone test: thread " VT_TEXT(n)
char pluginDescription[] = VT_DESCRIPTION(THREAD_HOW);
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, Init,
                                ModifySamples,     NoQuit,  nullptr};
