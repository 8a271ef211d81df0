// Plug-ins that never return at the edges of their life. HANG_IN 1: Quit
// sleeps for ever. 2: DllMain starts a thread and waits for it, which can
// never start while DllMain holds the loader lock.
#include <windows.h>

#include "PluginModule.h"

namespace {

void __cdecl Quit(winampDSPModule*) {
  if (HANG_IN == 1) Sleep(INFINITE);
}

DWORD WINAPI Nothing(void*) { return 0; }

}  // namespace

char pluginDescription[] = "Vellumtone test: hangs at an edge";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                nullptr,           Quit,    nullptr};

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (HANG_IN == 2 && reason == DLL_PROCESS_ATTACH) {
    HANDLE thread = CreateThread(nullptr, 0, Nothing, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
  }
  return TRUE;
}
