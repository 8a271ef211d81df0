// Proves the cross-built codecs work together under Wine: LAME encodes,
// libmpg123 decodes with exact (gapless) lengths, and a 320 kbit/s re-encode
// keeps the length.
#include <gtest/gtest.h>
#include <lame/lame.h>
#include <mpg123.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "TestSignals.h"


namespace {

constexpr int kRate = 44100;
constexpr int kFrameSamples = 1152;  // one MPEG-1 Layer III frame

lame_t NewEncoder(int kbps) {
  lame_t encoder = lame_init();
  lame_set_num_channels(encoder, 2);
  lame_set_in_samplerate(encoder, kRate);
  lame_set_out_samplerate(encoder, kRate);
  lame_set_brate(encoder, kbps);
  lame_set_quality(encoder, 5);
  lame_set_mode(encoder, STEREO);
  EXPECT_GE(lame_init_params(encoder), 0);
  return encoder;
}

// Encodes interleaved stereo PCM into an MP3 file, gapless information
// included (LAME writes it into the first frame on its own).
class Mp3Writer {
 public:
  Mp3Writer(const char* path, int kbps)
      : file_(std::fopen(path, "w+b")), encoder_(NewEncoder(kbps)) {}
  ~Mp3Writer() { Finish(); }

  void Write(const int16_t* pcm, int frames) {
    std::vector<unsigned char> out(frames * 5 / 4 + 7200);
    int count = lame_encode_buffer_interleaved(
        encoder_, const_cast<int16_t*>(pcm), frames, out.data(),
        static_cast<int>(out.size()));
    ASSERT_GE(count, 0);
    std::fwrite(out.data(), 1, count, file_);
  }

  void Finish() {
    if (!encoder_) return;
    unsigned char out[7200];
    int count = lame_encode_flush(encoder_, out, sizeof out);
    if (count > 0) std::fwrite(out, 1, count, file_);
    // Rewrites the first frame with the final lengths (the gapless tag);
    // LAME reads the file back for it, hence "w+b".
    lame_mp3_tags_fid(encoder_, file_);
    lame_close(encoder_);
    std::fclose(file_);
    encoder_ = nullptr;
  }

 private:
  FILE* file_;
  lame_t encoder_;
};

class AudioChainTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { mpg123_init(); }
  static void TearDownTestSuite() { mpg123_exit(); }

  void SetUp() override {
    decoder_ = mpg123_new(nullptr, nullptr);
    ASSERT_NE(decoder_, nullptr);
  }
  void TearDown() override { mpg123_delete(decoder_); }

  // Opens a file and checks it is what the program accepts.
  void OpenStereo16(const char* path) {
    ASSERT_EQ(mpg123_open(decoder_, path), MPG123_OK) << path;
    long rate = 0;
    int channels = 0, encoding = 0;
    ASSERT_EQ(mpg123_getformat(decoder_, &rate, &channels, &encoding), MPG123_OK);
    EXPECT_EQ(rate, kRate);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(encoding, MPG123_ENC_SIGNED_16);
    EXPECT_EQ(mpg123_encsize(encoding), 2);
  }

  // The length in sample frames, found the way the program finds it.
  off_t LengthBySeeking() {
    off_t length = mpg123_seek(decoder_, 0, SEEK_END);
    mpg123_seek(decoder_, 0, SEEK_SET);
    return length;
  }

  // Decodes the open file block by block; the block size is the decoder's.
  std::vector<int16_t> DecodeAll() {
    std::vector<unsigned char> block(mpg123_outblock(decoder_));
    std::vector<int16_t> pcm;
    size_t done = 0;
    int status;
    do {  // the last piece of the stream comes with MPG123_DONE
      status = mpg123_read(decoder_, block.data(), block.size(), &done);
      const int16_t* samples = reinterpret_cast<int16_t*>(block.data());
      if (status == MPG123_OK || status == MPG123_DONE) pcm.insert(pcm.end(), samples, samples + done / 2);
    } while (status == MPG123_OK);
    mpg123_close(decoder_);
    return pcm;
  }

  mpg123_handle* decoder_ = nullptr;
};

TEST_F(AudioChainTest, EncodeDecodeAndReencodeKeepTheLength) {
  const int frames = 3 * kRate + 777;  // not a whole number of MP3 frames
  std::vector<int16_t> original = TestSignals::MusicLike(frames, kRate / 10);
  {
    Mp3Writer writer("chain_input.mp3", 128);
    writer.Write(original.data(), frames);
  }

  OpenStereo16("chain_input.mp3");
  EXPECT_NEAR(LengthBySeeking(), frames, kFrameSamples);
  std::vector<int16_t> decoded = DecodeAll();
  ASSERT_NEAR(static_cast<long>(decoded.size() / 2), frames, kFrameSamples);

  {
    Mp3Writer writer("chain_320.mp3", 320);
    writer.Write(decoded.data(), static_cast<int>(decoded.size() / 2));
  }
  OpenStereo16("chain_320.mp3");
  off_t reencodedLength = LengthBySeeking();
  EXPECT_NEAR(reencodedLength, frames, kFrameSamples);
  EXPECT_EQ(static_cast<off_t>(DecodeAll().size() / 2), reencodedLength);

  // The Linux-side check of the same file reads this expectation.
  FILE* expected = std::fopen("chain_320.frames", "wb");
  std::fprintf(expected, "%d\n", frames);
  std::fclose(expected);
}

}  // namespace
