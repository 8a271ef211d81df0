// Returns nothing of what it gets, ever: as a plug-in that waits for more
// sound than the input has, or one that is broken.
#include "PluginModule.h"

namespace {

int __cdecl ModifySamples(winampDSPModule*, short*, int, int, int, int) { return 0; }

}  // namespace

char pluginDescription[] = "Vellumtone test: returns nothing";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
