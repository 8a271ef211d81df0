// Takes SLEEP_MS per call of 576 frames (13 ms of sound). By default 2 ms,
// about 60 ms per decoded block, so a job can be stopped in the middle;
// built with 1.5 s, it is a plug-in far slower than the sound, whose Stop
// must not wait for a whole block.
#include <windows.h>

#include "PluginModule.h"

#ifndef SLEEP_MS
#define SLEEP_MS 2
#endif

namespace {
int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  Sleep(SLEEP_MS);
  return frames;
}
}  // namespace

#if SLEEP_MS > 1000
char pluginDescription[] = "Vellumtone test: very slow";
#else
char pluginDescription[] = "Vellumtone test: slow";
#endif
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
