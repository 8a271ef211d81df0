#include "TestMp3.h"

#include <lame/lame.h>
#include <mpg123.h>

#include <cmath>
#include <cstdio>

namespace TestMp3 {

bool Write(const std::string& path, const std::vector<int16_t>& pcm, int rate, int channels,
           int kbps) {
  // "w+b": LAME reads the first frame back to write the gapless tag.
  FILE* file = std::fopen(path.c_str(), "w+b");
  if (!file) return false;
  lame_t encoder = lame_init();
  lame_set_num_channels(encoder, channels);
  lame_set_in_samplerate(encoder, rate);
  lame_set_out_samplerate(encoder, rate);
  lame_set_brate(encoder, kbps);
  lame_set_mode(encoder, channels == 1 ? MONO : STEREO);
  bool ok = lame_init_params(encoder) >= 0;
  int frames = static_cast<int>(pcm.size() / channels);
  std::vector<unsigned char> out(frames * 5 / 4 + 7200);
  std::vector<int16_t> copy(pcm);
  int count = channels == 1
                  ? lame_encode_buffer(encoder, copy.data(), copy.data(), frames, out.data(),
                                       static_cast<int>(out.size()))
                  : lame_encode_buffer_interleaved(encoder, copy.data(), frames, out.data(),
                                                   static_cast<int>(out.size()));
  ok = ok && count >= 0;
  if (count > 0) std::fwrite(out.data(), 1, count, file);
  count = lame_encode_flush(encoder, out.data(), static_cast<int>(out.size()));
  if (count > 0) std::fwrite(out.data(), 1, count, file);
  lame_mp3_tags_fid(encoder, file);
  lame_close(encoder);
  std::fclose(file);
  return ok;
}

Decoded Read(const std::string& path) {
  Decoded result;
  mpg123_init();
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  int encoding = 0;
  if (mpg123_open(decoder, path.c_str()) == MPG123_OK &&
      mpg123_getformat(decoder, &result.rate, &result.channels, &encoding) == MPG123_OK) {
    std::vector<unsigned char> block(mpg123_outblock(decoder));
    size_t done = 0;
    int status;
    do {
      status = mpg123_read(decoder, block.data(), block.size(), &done);
      const int16_t* samples = reinterpret_cast<const int16_t*>(block.data());
      // The last piece comes with MPG123_DONE.
      if (status == MPG123_OK || status == MPG123_DONE) {
        result.pcm.insert(result.pcm.end(), samples, samples + done / 2);
      }
    } while (status == MPG123_OK);
    result.ok = status == MPG123_DONE;
    mpg123_close(decoder);
  }
  mpg123_delete(decoder);
  return result;
}

double ChannelLevel(const std::vector<int16_t>& stereo, int channel) {
  double sum = 0;
  size_t frames = stereo.size() / 2;
  for (size_t i = 0; i < frames; ++i) {
    double value = stereo[2 * i + channel];
    sum += value * value;
  }
  return frames ? std::sqrt(sum / frames) : 0;
}

}  // namespace TestMp3
