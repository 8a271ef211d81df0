// A look-ahead of half a second, as levellers and normalisers have: it
// holds the sound back, returning nothing at first, then as much as it
// gets. The last half second comes out only for the silence that follows
// the input.
#include "PluginModule.h"

namespace {

constexpr int kDelayFrames = 22050;
constexpr int kCapacity = kDelayFrames + 8192;
short fifo[kCapacity * 2];
int head = 0;  // where the oldest frame is
int held = 0;

int __cdecl ModifySamples(winampDSPModule*, short* samples, int frames, int, int channels, int) {
  if (channels != 2 || held + frames > kCapacity) return frames;
  for (int i = 0; i < frames; ++i) {
    int at = (head + held + i) % kCapacity;
    fifo[2 * at] = samples[2 * i];
    fifo[2 * at + 1] = samples[2 * i + 1];
  }
  held += frames;
  int count = held > kDelayFrames ? held - kDelayFrames : 0;
  for (int i = 0; i < count; ++i) {
    samples[2 * i] = fifo[2 * head];
    samples[2 * i + 1] = fifo[2 * head + 1];
    head = (head + 1) % kCapacity;
  }
  held -= count;
  return count;
}

}  // namespace

char pluginDescription[] = "Vellumtone test: look-ahead";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
