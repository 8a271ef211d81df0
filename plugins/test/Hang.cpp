// A plug-in whose ModifySamples never returns from its third call.
#include <windows.h>

#include "PluginModule.h"

namespace {
int calls = 0;
int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  if (++calls == 3) Sleep(INFINITE);
  return frames;
}
}  // namespace

char pluginDescription[] = "Vellumtone test: hangs";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
