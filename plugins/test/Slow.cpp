// Takes 50 ms per block, so a job can be stopped in the middle.
#include <windows.h>

#include "PluginModule.h"

namespace {
int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  Sleep(50);
  return frames;
}
}  // namespace

char pluginDescription[] = "Vellumtone test: slow";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
