// Takes 2 ms per call of 576 frames (13 ms of sound), about 60 ms per
// decoded block, so a job can be stopped in the middle.
#include <windows.h>

#include "PluginModule.h"

namespace {
int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  Sleep(2);
  return frames;
}
}  // namespace

char pluginDescription[] = "Vellumtone test: slow";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
