#include "PluginModule.h"

namespace {

winampDSPModule* __cdecl GetModule(int index) { return index == 0 ? &pluginModule : nullptr; }

winampDSPHeader header = {0x20, pluginDescription, GetModule};

}  // namespace

void __cdecl NoConfig(winampDSPModule*) {}
int __cdecl NoInit(winampDSPModule*) { return 0; }
void __cdecl NoQuit(winampDSPModule*) {}

extern "C" __declspec(dllexport) winampDSPHeader* __cdecl winampDSPGetHeader2() { return &header; }
