// Answers every call with a count no plug-in may give, negative or more
// than twice what it got, and leaves the samples alone: the host must keep
// each slice at its own length.
#include "PluginModule.h"

namespace {
int calls = 0;
int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) {
  return ++calls % 2 ? -1 : 2 * frames + 1;
}
}  // namespace

char pluginDescription[] = "Vellumtone test: wrong count";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
