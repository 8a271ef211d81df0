#include "PreviewSink.h"

#include "SampleTransforms.h"

namespace {

// Silence that starts the preview's output (46 ms).
constexpr size_t kPrimeFrames = 2048;

}  // namespace

PreviewSink::PreviewSink(const JobState& jobState)
    : state(jobState),
      libraryStarted(false),
      driverId(-1),
      device(nullptr),
      volume(kInitialVolume) {}

PreviewSink::~PreviewSink() { TearDown(); }

void PreviewSink::SetUp() {
  ao_initialize();
  libraryStarted = true;
  driverId = ao_default_driver_id();
}

void PreviewSink::TearDown() {
  Close();
  if (libraryStarted) ao_shutdown();
  libraryStarted = false;
}

bool PreviewSink::Open(long rate, int channels, int bits) {
  ao_sample_format format = {};
  format.bits = bits;
  format.rate = static_cast<int>(rate);
  format.channels = channels;
  format.byte_format = AO_FMT_NATIVE;
  format.matrix = nullptr;
  device = ao_open_live(driverId, &format, nullptr);
  if (!device) return false;
  Prime();
  return true;
}

// A few blocks of silence first: an output stream that starts with a single
// short block runs dry at once and pads itself with silence (Wine's does,
// for 25 ms); better that happens before the sound than inside it.
void PreviewSink::Prime() {
  char silence[kPrimeFrames * kBytesPerFrame] = {};
  ao_play(device, silence, static_cast<uint_32>(sizeof silence));
}

void PreviewSink::Close() {
  if (device) ao_close(device);  // plays what the device still holds
  device = nullptr;
}

// The volume is applied just before each slice goes to the device, and the
// device takes a slice at a time, waiting while its queue is full: a move of
// the slider is heard once the queue ahead of it has played, not a whole
// block later. Stop likewise takes effect at the next slice.
JobEnding PreviewSink::Take(AudioBlock block) {
  for (size_t first = 0; first < block.frames && !state.IsStopping(); first += kSliceFrames) {
    size_t frames = block.frames - first < kSliceFrames ? block.frames - first : kSliceFrames;
    AudioBlock slice = {block.samples + first * kChannels, frames};
    SampleTransforms::ApplyVolume(slice.samples, slice.Bytes(), volume);
    ao_play(device, reinterpret_cast<char*>(slice.samples), static_cast<uint_32>(slice.Bytes()));
  }
  return JobEnding::Finished;
}

JobEnding PreviewSink::Finish(JobEnding ending, PassedFrames) {
  Close();
  return ending;
}
