// A plug-in whose header offers no module 0.
#include "WinampDsp.h"

namespace {
winampDSPModule* __cdecl GetModule(int) { return nullptr; }
char description[] = "Vellumtone test: no module";
winampDSPHeader header = {0x20, description, GetModule};
}  // namespace

extern "C" __declspec(dllexport) winampDSPHeader* __cdecl winampDSPGetHeader2() { return &header; }
