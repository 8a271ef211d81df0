// Puts its window into a frame from Winamp's embedding function
// (IPC_GET_EMBEDIF), as visualisers and editors do. Without a frame it
// refuses to work: silence.
#include "PluginModule.h"
#include "WinampQuery.h"

namespace {

struct EmbedState {
  HWND me;
  int flags;
  RECT r;
  void* user_ptr;
  int extra_data[64];
};
using EmbedFunction = HWND(__cdecl*)(EmbedState*);

EmbedState state;
HWND frame = nullptr;

int __cdecl Init(winampDSPModule* module) {
  auto embed =
      reinterpret_cast<EmbedFunction>(AskWinamp(module->hwndParent, kIpcGetEmbedInterface));
  state = EmbedState{};
  state.r = {40, 40, 340, 240};
  frame = embed ? embed(&state) : nullptr;
  if (!frame || state.me != frame) return 1;
  CreateWindowExW(0, L"STATIC", L"Vellumtone embedded", WS_CHILD | WS_VISIBLE, 0, 0, 300, 200,
                  frame, nullptr, module->hDllInstance, nullptr);
  SetWindowTextW(frame, L"Vellumtone test: embedded");
  ShowWindow(frame, SW_SHOWNA);
  return 0;
}

int __cdecl ModifySamples(winampDSPModule*, short* samples, int frames, int, int channels, int) {
  if (!frame) Silence(samples, frames, channels);
  return frames;
}

void __cdecl Quit(winampDSPModule*) {
  if (frame) DestroyWindow(frame);
  frame = nullptr;
}

}  // namespace

char pluginDescription[] = "Vellumtone test: embedded window";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, Init,
                                ModifySamples,     Quit,    nullptr};
