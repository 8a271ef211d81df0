// Subclasses its parent window in Init to watch Winamp's messages, as some
// plug-ins do, and never puts the old procedure back.
#include "PluginModule.h"

namespace {

WNDPROC previous = nullptr;
LONG seen = 0;

LRESULT CALLBACK Watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  InterlockedIncrement(&seen);
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

int __cdecl Init(winampDSPModule* module) {
  if (previous) return 0;  // loaded again: the window is watched already
  previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      module->hwndParent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Watch)));
  return 0;
}

int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int, int, int) { return frames; }

}  // namespace

char pluginDescription[] = "Vellumtone test: subclasses Winamp";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, Init,
                                ModifySamples,     NoQuit,  nullptr};
