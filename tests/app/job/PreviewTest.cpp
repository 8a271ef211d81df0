// Previews played through libao into the test command's sound server.
#include <gtest/gtest.h>

#include "CaptureReader.h"
#include "JobTestSupport.h"
#include "TestEnvironment.h"
#include "TestMp3.h"
#include "TestSignals.h"

namespace {

using TestSignals::kRate;

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    capturePath_ = TestEnvironment::CapturePath();
    if (capturePath_.empty()) GTEST_SKIP() << "no capture of the sound server";
    // A second of loud sound between silent ends.
    std::vector<int16_t> pcm = TestSignals::Silence(kRate / 5);
    std::vector<int16_t> loud = TestSignals::ToneIn(0, kRate, 440, 16000);
    std::vector<int16_t> right = TestSignals::ToneIn(1, kRate, 660, 16000);
    for (size_t i = 0; i < loud.size(); ++i) loud[i] = static_cast<int16_t>(loud[i] + right[i]);
    pcm.insert(pcm.end(), loud.begin(), loud.end());
    std::vector<int16_t> tail = TestSignals::Silence(kRate / 5);
    pcm.insert(pcm.end(), tail.begin(), tail.end());
    ASSERT_TRUE(TestMp3::Write("preview_in.mp3", pcm, kRate, 2));
  }

  // Plays the input at `volume` and returns what the sound server played.
  std::vector<int16_t> Preview(int volume, JobRunner& runner) {
    long rate;
    int channels, encoding;
    EXPECT_TRUE(runner.job.OpenInput("preview_in.mp3"));
    EXPECT_TRUE(runner.job.GetFormat(&rate, &channels, &encoding));
    EXPECT_TRUE(runner.job.PreparePreview()) << "no audio device";
    runner.job.Volume() = volume;
    CaptureReader capture(capturePath_);
    runner.RunToEnd();
    return capture.WaitForSound(kRate / 2, 4000);
  }

  std::string capturePath_;
};

TEST_F(PreviewTest, PlaysTheInputAtFullVolumeAndEndsTheMarquee) {
  JobRunner runner;
  std::vector<int16_t> played = Preview(100, runner);
  // All of it, once: silence that Wine's output pads a stream with on a
  // loaded machine (a few tens of ms at a time) only lengthens it.
  EXPECT_GE(static_cast<int>(played.size() / 2), kRate - kRate / 20);
  EXPECT_LE(static_cast<int>(played.size() / 2), kRate + kRate / 2);
  EXPECT_GT(TestMp3::ChannelLevel(played, 0), 8000);
  EXPECT_TRUE(runner.marqueeStopped);
  EXPECT_EQ(runner.endings, std::vector<JobEnding>{JobEnding::Finished});
}

TEST_F(PreviewTest, VolumeZeroPlaysSilence) {
  JobRunner runner;
  EXPECT_TRUE(Preview(0, runner).empty());
}

TEST_F(PreviewTest, HalfVolumeHalvesTheLevel) {
  JobRunner full, half;
  double fullLevel = TestMp3::ChannelLevel(Preview(100, full), 0);
  double halfLevel = TestMp3::ChannelLevel(Preview(50, half), 0);
  EXPECT_NEAR(halfLevel / fullLevel, 0.5, 0.05);
}

}  // namespace
