// Swaps left and right: an effect that can be heard in the output.
#include "PluginModule.h"

namespace {
int __cdecl ModifySamples(winampDSPModule*, short* samples, int frames, int, int channels, int) {
  if (channels != 2) return frames;
  for (int i = 0; i < frames; ++i) {
    short left = samples[2 * i];
    samples[2 * i] = samples[2 * i + 1];
    samples[2 * i + 1] = left;
  }
  return frames;
}
}  // namespace

char pluginDescription[] = "Vellumtone test: swap channels";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
