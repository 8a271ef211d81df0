// Answers every block with a count other than it was given, and leaves the
// samples alone: the host must keep the whole block.
#include "PluginModule.h"

namespace {
int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  return frames / 3;
}
}  // namespace

char pluginDescription[] = "Vellumtone test: wrong count";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
