// Leaves every block as it is.
#include "PluginModule.h"

namespace {
int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) { return frames; }
}  // namespace

char pluginDescription[] = "Vellumtone Pass-through";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
