// Works only under Winamp 5, as plug-ins that need its newer queries do:
// it asks IPC_GETVERSION in Init and otherwise plays silence.
#include "PluginModule.h"
#include "WinampQuery.h"

namespace {

bool winamp5 = false;

int __cdecl Init(winampDSPModule* module) {
  LRESULT version = AskWinamp(module->hwndParent, kIpcGetVersion);
  winamp5 = version >= 0x5000 && version < 0x6000;
  return 0;
}

int __cdecl ModifySamples(winampDSPModule*, short* samples, int frames, int, int channels, int) {
  if (!winamp5) Silence(samples, frames, channels);
  return frames;
}

}  // namespace

char pluginDescription[] = "Vellumtone test: needs Winamp 5";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, Init,
                                ModifySamples,     NoQuit,  nullptr};
