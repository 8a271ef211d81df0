#pragma once

#include "WinampDsp.h"

// Each plug-in library of the project offers one module, defined by the
// plug-in itself; the header and the export come from PluginModule.cpp.
extern winampDSPModule pluginModule;
extern char pluginDescription[];

// Callbacks a plug-in may leave empty.
void __cdecl NoConfig(winampDSPModule* module);
int __cdecl NoInit(winampDSPModule* module);
void __cdecl NoQuit(winampDSPModule* module);
