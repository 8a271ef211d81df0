#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "LoudnessMeter.h"

namespace {

constexpr long kRate = 48000;
constexpr double kPi = 3.14159265358979323846;

// EBU Tech 3341's first test signal: a 1 kHz sine at -23 dBFS on both
// channels measures -23.0 LUFS (±0.1), so ReplayGain 2.0 raises it 5 dB.
std::vector<int16_t> ReferenceTone(int seconds) {
  std::vector<int16_t> stereo(static_cast<size_t>(kRate * seconds) * 2);
  double amplitude = std::pow(10.0, -23.0 / 20.0) * 32768.0;
  for (size_t frame = 0; frame < stereo.size() / 2; ++frame) {
    double value = amplitude * std::sin(2.0 * kPi * 1000.0 * static_cast<double>(frame) / kRate);
    stereo[2 * frame] = stereo[2 * frame + 1] = static_cast<int16_t>(std::lround(value));
  }
  return stereo;
}

// Given as the job gives it: blocks of any size, one after another.
TrackLoudness Measured(std::vector<int16_t>& stereo) {
  LoudnessMeter meter;
  EXPECT_TRUE(meter.Start(kRate));
  size_t frames = stereo.size() / 2;
  for (size_t at = 0, block = 1000; at < frames; at += block, block = block * 3 % 7919 + 1) {
    meter.Add(AudioBlock{&stereo[2 * at], at + block > frames ? frames - at : block});
  }
  return meter.Result();
}

TEST(LoudnessMeterTest, TheReferenceToneMeasuresAsEbuSays) {
  std::vector<int16_t> tone = ReferenceTone(10);
  TrackLoudness loudness = Measured(tone);
  ASSERT_TRUE(loudness.Known());
  EXPECT_NEAR(loudness.integratedLufs, -23.0, 0.1);
  EXPECT_NEAR(loudness.GainDb(), 5.0, 0.1);
  double peak = std::pow(10.0, -23.0 / 20.0);
  EXPECT_NEAR(loudness.channelPeaks[0], peak, 1.0 / 32768);
  EXPECT_NEAR(loudness.channelPeaks[1], peak, 1.0 / 32768);
  EXPECT_NEAR(loudness.Peak(), peak, 1.0 / 32768);
}

// Silence has no loudness that a gain could bring to the reference; a
// meter that never started has measured nothing.
TEST(LoudnessMeterTest, SilenceAndNoMeasurementHaveNoLoudness) {
  std::vector<int16_t> silence(kRate * 2 * 2, 0);
  TrackLoudness loudness = Measured(silence);
  EXPECT_TRUE(loudness.measured);
  EXPECT_FALSE(loudness.Known());
  LoudnessMeter idle;
  idle.Add(AudioBlock{silence.data(), 100});
  EXPECT_FALSE(idle.Result().measured);
}

}  // namespace
