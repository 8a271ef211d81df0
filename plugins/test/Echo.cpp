// A decaying echo, as delay and reverb plug-ins make: every quarter second
// the sound comes back at half its level, so it rings on for seconds after
// the input has ended.
#include "PluginModule.h"

namespace {

constexpr int kDelayFrames = 11025;
short line[kDelayFrames * 2];  // what was returned a delay ago
int at = 0;

short Clamped(int value) {
  return static_cast<short>(value > 32767 ? 32767 : value < -32768 ? -32768 : value);
}

int __cdecl ModifySamples(winampDSPModule*, short* samples, int frames, int, int channels, int) {
  if (channels != 2) return frames;
  for (int i = 0; i < 2 * frames; ++i) {
    short out = Clamped(samples[i] + line[2 * at + i % 2] / 2);
    line[2 * at + i % 2] = out;
    samples[i] = out;
    if (i % 2 == 1) at = (at + 1) % kDelayFrames;
  }
  return frames;
}

}  // namespace

char pluginDescription[] = "Vellumtone test: echo";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
