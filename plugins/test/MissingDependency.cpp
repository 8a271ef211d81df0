// A plug-in that needs a DLL which is not there, so it does not load.
#include "PluginModule.h"

extern "C" __declspec(dllimport) int VellumtoneAbsent();

namespace {
int __cdecl Init(winampDSPModule*) { return VellumtoneAbsent(); }
}  // namespace

char pluginDescription[] = "Vellumtone test: missing dependency";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, Init,
                                nullptr,           NoQuit,  nullptr};
