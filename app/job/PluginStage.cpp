#include "PluginStage.h"

#include <cstdlib>
#include <cstring>

namespace {

// Winamp hands its DSP plug-ins about this many frames per call, and
// plug-ins size their buffers and count their delays by it.
constexpr size_t kSliceFrames = 576;
// A plug-in may return up to twice the frames it was given.
constexpr size_t kGrowth = 2;

}  // namespace

PluginStage::PluginStage(JobState& jobState)
    : state(jobState), plugin(nullptr), rate(0), outputBuffer(nullptr) {}

PluginStage::~PluginStage() { TearDown(); }

bool PluginStage::SetUp(size_t blockFrames) {
  outputBuffer = static_cast<int16_t*>(malloc(kGrowth * blockFrames * kBytesPerFrame));
  return outputBuffer != nullptr;
}

void PluginStage::TearDown() {
  free(outputBuffer);
  outputBuffer = nullptr;
}

// The slices are copied one after another into the output buffer, each just
// behind what the previous calls returned; since no call returns more than
// twice its frames, the room is always there. A count out of that range is
// the plug-in's mistake: the slice then keeps its own length.
AudioBlock PluginStage::Process(AudioBlock block) {
  if (HasFaulted()) return AudioBlock{block.samples, 0};
  winampDSPModule* module = plugin ? plugin->Module() : nullptr;
  if (!module || !module->ModifySamples) return block;
  size_t written = 0;
  // Through a slow plug-in a whole block can take many seconds.
  for (size_t first = 0; first < block.frames && !state.IsStopping(); first += kSliceFrames) {
    size_t slice = block.frames - first < kSliceFrames ? block.frames - first : kSliceFrames;
    int16_t* at = outputBuffer + written * kChannels;
    memcpy(at, block.samples + first * kChannels, slice * kBytesPerFrame);
    int count = Call(module, at, slice);
    if (HasFaulted()) return AudioBlock{outputBuffer, 0};
    bool valid = count >= 0 && static_cast<size_t>(count) <= kGrowth * slice;
    written += valid ? static_cast<size_t>(count) : slice;
  }
  return AudioBlock{outputBuffer, written};
}

int PluginStage::Call(winampDSPModule* module, int16_t* samples, size_t frames) {
  int count = 0;
  auto call = [&] {
    count = module->ModifySamples(module, samples, static_cast<int>(frames), kBitsPerSample,
                                  kChannels, static_cast<int>(rate));
  };
  state.EnterPluginCall();
  plugin->Run(call);
  state.LeavePluginCall();
  return count;
}
