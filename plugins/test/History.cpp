// An effect with history in static buffers, as Winamp-era plug-ins keep it:
// the sound four calls late. The buffers hold 8192 frames a call; like the
// plug-ins it stands for, it faults when given more.
#include "PluginModule.h"

#include <cstring>

namespace {

constexpr int kMaxFrames = 8192;
constexpr int kCallsLate = 4;

short history[kCallsLate][kMaxFrames * 2];
int historyFrames[kCallsLate];
int call = 0;

int __cdecl ModifySamples(winampDSPModule*, short* samples, int frames, int, int channels, int) {
  if (frames > kMaxFrames || channels != 2) {
    volatile int* nowhere = nullptr;
    *nowhere = frames;  // what an overflow comes to
  }
  int slot = call++ % kCallsLate;
  short late[kMaxFrames * 2] = {};
  memcpy(late, history[slot], static_cast<size_t>(historyFrames[slot]) * 4);
  memcpy(history[slot], samples, static_cast<size_t>(frames) * 4);
  historyFrames[slot] = frames;
  memcpy(samples, late, static_cast<size_t>(frames) * 4);
  return frames;
}

}  // namespace

char pluginDescription[] = "Vellumtone test: four calls late";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, NoConfig, NoInit,
                                ModifySamples,     NoQuit,  nullptr};
