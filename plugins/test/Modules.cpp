// A library of three modules, as Winamp's own demo has: the left channel
// only, the right only (a module without a description), and the channels
// swapped.
#include "WinampDsp.h"

namespace {

int __cdecl NoInit(winampDSPModule*) { return 0; }
void __cdecl NoConfig(winampDSPModule*) {}
void __cdecl NoQuit(winampDSPModule*) {}

int __cdecl KeepLeft(winampDSPModule*, short* samples, int frames, int, int, int) {
  for (int i = 0; i < frames; ++i) samples[2 * i + 1] = 0;
  return frames;
}

int __cdecl KeepRight(winampDSPModule*, short* samples, int frames, int, int, int) {
  for (int i = 0; i < frames; ++i) samples[2 * i] = 0;
  return frames;
}

int __cdecl Swap(winampDSPModule*, short* samples, int frames, int, int, int) {
  for (int i = 0; i < frames; ++i) {
    short left = samples[2 * i];
    samples[2 * i] = samples[2 * i + 1];
    samples[2 * i + 1] = left;
  }
  return frames;
}

char leftText[] = "Vellumtone test: left only";
char swapText[] = "Vellumtone test: swapped";
char headerText[] = "Vellumtone test: three modules";

winampDSPModule modules[] = {
    {leftText, nullptr, nullptr, NoConfig, NoInit, KeepLeft, NoQuit, nullptr},
    {nullptr, nullptr, nullptr, NoConfig, NoInit, KeepRight, NoQuit, nullptr},
    {swapText, nullptr, nullptr, NoConfig, NoInit, Swap, NoQuit, nullptr},
};

winampDSPModule* __cdecl GetModule(int index) {
  return index >= 0 && index < 3 ? &modules[index] : nullptr;
}

winampDSPHeader header = {0x20, headerText, GetModule};

}  // namespace

extern "C" __declspec(dllexport) winampDSPHeader* __cdecl winampDSPGetHeader2() { return &header; }
