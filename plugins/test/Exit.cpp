// Plug-ins that end the program when something goes wrong for them, as old
// DLLs in the wild do. EXIT_HOW picks the way; each does it in Config or on
// the third ModifySamples, once some sound has gone through.
#include <windows.h>

#include <cstdlib>
#include <stdexcept>

#include "PluginModule.h"

#define EXIT_PROCESS 1    // ExitProcess, in ModifySamples
#define EXIT_CRT 2        // the C runtime's exit(), in Config
#define EXIT_ABORT 3      // abort(), in ModifySamples
#define EXIT_TERMINATE 4  // TerminateProcess on its own process, in Config
#define EXIT_THROW 5      // a C++ exception nothing catches, in ModifySamples
#define EXIT_THREAD 6     // ExitThread on the window's thread, in Config
#define EXIT_LOOKED_UP 7  // ExitProcess found through GetProcAddress, in ModifySamples
#define EXIT_LOADING 8    // ExitProcess in DllMain, while it loads

namespace {

int calls = 0;

using ExitProcessType = void(WINAPI*)(UINT);

__attribute__((noinline)) void GiveUp() {
  switch (EXIT_HOW) {
    case EXIT_PROCESS:
      ExitProcess(3);
    case EXIT_CRT:
      exit(3);
    case EXIT_ABORT:
      abort();
    case EXIT_TERMINATE:
      TerminateProcess(GetCurrentProcess(), 3);
      break;
    case EXIT_THROW:
      throw std::runtime_error("the plug-in gives up");
    case EXIT_THREAD:
      ExitThread(3);
    case EXIT_LOADING:
      ExitProcess(3);
    case EXIT_LOOKED_UP: {
      auto exitProcess = reinterpret_cast<ExitProcessType>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "ExitProcess")));
      exitProcess(3);
      break;
    }
  }
}

bool InConfig() { return EXIT_HOW == EXIT_CRT || EXIT_HOW == EXIT_TERMINATE || EXIT_HOW == EXIT_THREAD; }

void __cdecl Config(winampDSPModule*) {
  if (InConfig()) GiveUp();
}

int __cdecl Init(winampDSPModule*) {
  calls = 0;
  return 0;
}

int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  if (!InConfig() && ++calls == 3) GiveUp();
  return frames;
}

}  // namespace

#define VT_TEXT(x) #x
#define VT_DESCRIPTION(n) "Vellumtone test: exits " VT_TEXT(n)
char pluginDescription[] = VT_DESCRIPTION(EXIT_HOW);
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, Config, Init,
                                ModifySamples,     NoQuit,  nullptr};

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (EXIT_HOW == EXIT_LOADING && reason == DLL_PROCESS_ATTACH) GiveUp();
  return TRUE;
}
