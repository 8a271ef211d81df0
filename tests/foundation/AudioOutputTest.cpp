// libao under Wine plays into the test command's sound server, all of it.
#include <ao/ao.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "CaptureReader.h"
#include "TestEnvironment.h"
#include "TestSignals.h"

namespace {

using TestSignals::kRate;

class AudioOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    capturePath_ = TestEnvironment::CapturePath();
    if (capturePath_.empty()) GTEST_SKIP() << "no capture of the sound server";
    ao_initialize();
  }
  void TearDown() override {
    if (!capturePath_.empty()) ao_shutdown();
  }

  // Plays the samples the way the program's preview does: one device, the
  // default driver, 16-bit native-order stereo, closed at the end.
  void Play(const std::vector<int16_t>& pcm) {
    ao_sample_format format = {};
    format.bits = 16;
    format.rate = kRate;
    format.channels = 2;
    format.byte_format = AO_FMT_NATIVE;
    ao_device* device = ao_open_live(ao_default_driver_id(), &format, nullptr);
    ASSERT_NE(device, nullptr) << "no audio device";
    ao_play(device, reinterpret_cast<char*>(const_cast<int16_t*>(pcm.data())),
            static_cast<uint_32>(pcm.size() * sizeof(int16_t)));
    ao_close(device);
  }

  std::string capturePath_;
};

TEST_F(AudioOutputTest, PlaysIntoTheSoundServer) {
  CaptureReader capture(capturePath_);
  Play(TestSignals::MusicLike(kRate + kRate / 5, kRate / 10));
  std::vector<int16_t> played = capture.WaitForSound(kRate / 2);
  EXPECT_GE(played.size() / 2, static_cast<size_t>(kRate / 2));
}

// The Windows driver hands the device blocks of 512 frames and used to drop
// the last, partly filled one at close (and, under Wine, the last few
// milliseconds before it): here the sound ends 500 frames into that block,
// with no silence after it, and all of it must be heard.
TEST_F(AudioOutputTest, PlaysTheLastPartialBlock) {
  const int block = 512, leading = kRate / 10;
  const int sound = 20 * block + (500 - leading % block + block) % block;
  ASSERT_EQ((leading + sound) % block, 500);
  std::vector<int16_t> pcm = TestSignals::Silence(leading);
  std::vector<int16_t> loud = TestSignals::Loud(sound);
  pcm.insert(pcm.end(), loud.begin(), loud.end());

  CaptureReader capture(capturePath_);
  Play(pcm);
  int played = static_cast<int>(capture.WaitForSound(sound / 2).size() / 2);
  // All of it: on a loaded machine Wine's output pads a stream that runs dry
  // with silence, which only lengthens what is heard, and the capture may
  // lose a few frames of its own (seen: 4 of 10426). The fault this catches
  // loses the 500 frames of the last block, or milliseconds before it.
  constexpr int kCaptureSlack = 32;
  EXPECT_GE(played, sound - kCaptureSlack);
}

}  // namespace
