#pragma once

#include <cmath>

// How loud the output is, as the ReplayGain values and iTunes' Sound Check
// describe a track: its integrated loudness (EBU R128, in LUFS) and the
// peak of each of its two channels (1.0 is full scale), measured on what
// went into the encoder. Not measured when the input had no such value.
struct TrackLoudness {
  // ReplayGain 2.0 plays every track at this loudness.
  static constexpr double kReferenceLufs = -18.0;

  bool measured = false;
  double integratedLufs = -HUGE_VAL;  // -HUGE_VAL for silence
  double channelPeaks[2] = {0.0, 0.0};

  // Silence has no loudness that a gain could bring to the reference.
  bool Known() const { return measured && std::isfinite(integratedLufs); }
  double GainDb() const { return kReferenceLufs - integratedLufs; }
  double Peak() const { return channelPeaks[0] > channelPeaks[1] ? channelPeaks[0] : channelPeaks[1]; }
};
