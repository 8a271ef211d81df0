// Plays faster or slower, as a tempo plug-in does, by resampling (the pitch
// moves too): SPEED_NUM / SPEED_DEN input frames per output frame, so a
// call returns fewer or more frames than it got.
#include "PluginModule.h"

#include <cstring>

#define VT_TEXT(x) #x
#define VT_DESCRIPTION(num, den) "Vellumtone test: speed " VT_TEXT(num) "/" VT_TEXT(den)

namespace {

constexpr int kMaxFrames = 8192;
short input[kMaxFrames * 2];
long long consumed = 0;  // input frames before this call
long long produced = 0;  // output frames so far

int __cdecl ModifySamples(winampDSPModule*, short* samples, int frames, int, int channels, int) {
  if (frames > kMaxFrames || channels != 2) return frames;
  memcpy(input, samples, static_cast<size_t>(frames) * 4);
  int count = 0;
  // Output frame j comes from input frame j × speed, nearest below.
  for (;; ++count, ++produced) {
    long long source = produced * SPEED_NUM / SPEED_DEN - consumed;
    if (source >= frames) break;
    samples[2 * count] = input[2 * source];
    samples[2 * count + 1] = input[2 * source + 1];
  }
  consumed += frames;
  return count;
}

}  // namespace

char pluginDescription[] = VT_DESCRIPTION(SPEED_NUM, SPEED_DEN);
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
