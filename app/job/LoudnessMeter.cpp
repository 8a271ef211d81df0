#include "LoudnessMeter.h"

namespace {

// The integrated loudness and the sample peaks; the true peak's
// oversampling would cost more than the encoder's own filters.
constexpr int kMode = EBUR128_MODE_I | EBUR128_MODE_SAMPLE_PEAK;

}  // namespace

bool LoudnessMeter::Start(long sampleRate) {
  Stop();
  state = ebur128_init(kChannels, static_cast<unsigned long>(sampleRate), kMode);
  failed = state == nullptr;
  return !failed;
}

void LoudnessMeter::Add(AudioBlock block) {
  if (!state || failed || block.IsEmpty()) return;
  failed = ebur128_add_frames_short(state, block.samples, block.frames) != EBUR128_SUCCESS;
}

TrackLoudness LoudnessMeter::Result() const {
  TrackLoudness loudness;
  if (!state || failed) return loudness;
  loudness.measured = ebur128_loudness_global(state, &loudness.integratedLufs) == EBUR128_SUCCESS;
  for (unsigned int channel = 0; channel < kChannels; ++channel) {
    if (ebur128_sample_peak(state, channel, &loudness.channelPeaks[channel]) != EBUR128_SUCCESS) {
      loudness.measured = false;
    }
  }
  return loudness;
}

void LoudnessMeter::Stop() {
  if (state) ebur128_destroy(&state);
  state = nullptr;
  failed = false;
}
