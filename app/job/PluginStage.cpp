#include "PluginStage.h"

#include <cstdlib>
#include <cstring>

namespace {

// A plug-in may return up to twice the frames it was given.
constexpr size_t kGrowth = 2;
// The job's inputs are all at 44100 Hz.
constexpr int64_t kSecond = 44100;
// The most silence a drain feeds: the longest look-ahead of real plug-ins
// (a dynamic normaliser's, about 15 s) with room for what follows it.
constexpr int64_t kMaxSilenceFrames = 30 * kSecond;
// A tail ends once what comes back has stayed quiet this long: longer than
// the gaps between the repeats of an echo.
constexpr size_t kQuietTailFrames = kSecond;
// The held frames: a quiet tail short of its end and one call's return.
constexpr size_t kHeldFrames = kQuietTailFrames + kGrowth * kSliceFrames;
// Quiet is below -90 dBFS: no value beyond ±1.
constexpr int kQuietPeak = 1;
// A plug-in changes the length on purpose when, once it returns sound, what
// it returns has drifted from what it gets by more than a plug-in that
// works in blocks of its own (an FFT's 8192 frames, say) lets it drift.
constexpr int64_t kBlockDriftFrames = 2 * 8192;

bool IsQuiet(const int16_t* samples, size_t frames) {
  for (size_t i = 0; i < frames * kChannels; ++i) {
    if (samples[i] > kQuietPeak || samples[i] < -kQuietPeak) return false;
  }
  return true;
}

}  // namespace

PluginStage::PluginStage(JobState& jobState)
    : state(jobState),
      plugin(nullptr),
      rate(0),
      outputBuffer(nullptr),
      outputFrames(0),
      counts(),
      silenceFed(0),
      owed(-1),
      held(nullptr),
      heldFrames(0),
      heldAudible(false),
      heldReleased(false),
      tailFrames(0) {}

PluginStage::~PluginStage() { TearDown(); }

bool PluginStage::SetUp(size_t blockFrames) {
  outputFrames = kGrowth * blockFrames;
  outputBuffer = static_cast<int16_t*>(malloc(outputFrames * kBytesPerFrame));
  held = static_cast<int16_t*>(malloc(kHeldFrames * kBytesPerFrame));
  return outputBuffer && held && outputFrames >= kGrowth * kSliceFrames;
}

size_t PluginStage::MaxBlockFrames() const {
  return outputFrames > kHeldFrames ? outputFrames : kHeldFrames;
}

void PluginStage::TearDown() {
  free(outputBuffer);
  outputBuffer = nullptr;
  free(held);
  held = nullptr;
}

void PluginStage::Start(long sampleRate) {
  rate = sampleRate;
  counts = Counts();
  silenceFed = 0;
  owed = -1;
  heldFrames = 0;
  heldAudible = false;
  heldReleased = false;
  tailFrames = 0;
}

// The slices are copied one after another into the output buffer, each just
// behind what the previous calls returned; since no call returns more than
// twice its frames, the room is always there.
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
    size_t count = Call(module, at, slice);
    if (HasFaulted()) return AudioBlock{outputBuffer, 0};
    written += count;
  }
  return AudioBlock{outputBuffer, written};
}

// Each call gets a slice of silence; what was owed goes out as it comes,
// what follows it is held until it proves audible.
bool PluginStage::Drain(AudioBlock* drained) {
  winampDSPModule* module = plugin ? plugin->Module() : nullptr;
  if (!module || !module->ModifySamples) return false;
  if (owed < 0) owed = Owed();
  if (heldReleased) heldFrames = 0;
  heldReleased = false;
  while (!heldAudible) {
    if (DrainOver()) return false;
    memset(outputBuffer, 0, kSliceFrames * kBytesPerFrame);
    size_t count = Call(module, outputBuffer, kSliceFrames);
    if (HasFaulted()) return false;
    silenceFed += static_cast<int64_t>(kSliceFrames);
    size_t due = static_cast<int64_t>(count) < owed ? count : static_cast<size_t>(owed);
    owed -= static_cast<int64_t>(due);
    Hold(outputBuffer + due * kChannels, count - due);
    if (due > 0) {
      *drained = AudioBlock{outputBuffer, due};
      return true;
    }
  }
  *drained = AudioBlock{held, heldFrames};
  tailFrames += static_cast<int64_t>(heldFrames);
  heldAudible = false;
  heldReleased = true;
  return true;
}

bool PluginStage::DrainOver() const {
  bool fedEnough = silenceFed + static_cast<int64_t>(kSliceFrames) > kMaxSilenceFrames;
  return state.IsStopping() || fedEnough || (owed == 0 && heldFrames >= kQuietTailFrames);
}

void PluginStage::Hold(const int16_t* samples, size_t frames) {
  if (frames == 0) return;
  memcpy(held + heldFrames * kChannels, samples, frames * kBytesPerFrame);
  heldFrames += frames;
  if (!IsQuiet(samples, frames)) heldAudible = true;
}

int64_t PluginStage::Owed() const {
  int64_t behind = counts.given - counts.returned;
  int64_t drift = counts.givenSinceFirst - counts.returnedSinceFirst;
  if (behind <= 0 || drift > kBlockDriftFrames || drift < -kBlockDriftFrames) return 0;
  return behind;
}

size_t PluginStage::Call(winampDSPModule* module, int16_t* samples, size_t frames) {
  int count = 0;
  auto call = [&] {
    count = module->ModifySamples(module, samples, static_cast<int>(frames), kBitsPerSample,
                                  kChannels, static_cast<int>(rate));
  };
  state.EnterPluginCall();
  plugin->Run(call);
  state.LeavePluginCall();
  // A count out of range is the plug-in's mistake: the slice keeps its
  // own length.
  bool valid = count >= 0 && static_cast<size_t>(count) <= kGrowth * frames;
  size_t returned = valid ? static_cast<size_t>(count) : frames;
  Count(frames, returned);
  return returned;
}

// The rate is told from the calls after the first that returned sound: that
// one returned what a look-ahead had filled, not what it keeps up with.
void PluginStage::Count(size_t given, size_t returned) {
  counts.given += static_cast<int64_t>(given);
  counts.returned += static_cast<int64_t>(returned);
  if (counts.returnedAny) {
    counts.givenSinceFirst += static_cast<int64_t>(given);
    counts.returnedSinceFirst += static_cast<int64_t>(returned);
  }
  if (returned > 0) counts.returnedAny = true;
}
