// Records every call it gets, for the tests.
#include "PluginModule.h"
#include "RecorderLog.h"

namespace {

RecorderLog log = {};

void __cdecl Config(winampDSPModule*) { ++log.configs; }

int __cdecl Init(winampDSPModule* module) {
  ++log.inits;
  log.parentAtInit = module->hwndParent;
  log.instanceAtInit = module->hDllInstance;
  return 0;
}

int __cdecl ModifySamples(winampDSPModule*, short*, int frames, int bits, int channels, int rate) {
  ++log.blocks;
  log.totalFrames += frames;
  log.lastFrames = frames;
  if (frames > log.maxFrames) log.maxFrames = frames;
  log.bits = bits;
  log.channels = channels;
  log.rate = rate;
  log.thread = GetCurrentThreadId();
  return frames;
}

void __cdecl Quit(winampDSPModule*) { ++log.quits; }

}  // namespace

extern "C" __declspec(dllexport) RecorderLog* __cdecl RecorderLog() { return &log; }

char pluginDescription[] = "Vellumtone test: recorder";
winampDSPModule pluginModule = {pluginDescription, nullptr, nullptr, Config, Init,
                                ModifySamples,     Quit,    nullptr};
