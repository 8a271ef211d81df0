#include "LibraryBench.h"

#include <lame/lame.h>
#include <mpg123.h>

#include <algorithm>
#include <cstdio>

#include "LoudnessMeter.h"
#include "TestMp3.h"

namespace {

// The program's output buffer: LAME's worst case for twice a block, the most
// a plug-in may return of one.
bool EncodeInto(FILE* file, lame_t encoder, const std::vector<int16_t>& pcm, size_t blockSize,
                BlockPhaseClock* phases) {
  std::vector<unsigned char> out(2 * blockSize / kBytesPerFrame * 5 / 4 + 7200);
  const int capacity = static_cast<int>(out.size());
  const size_t blockSamples = blockSize / sizeof(int16_t);
  bool ok = true;
  for (size_t first = 0; ok && first < pcm.size(); first += blockSamples) {
    size_t samples = std::min(blockSamples, pcm.size() - first);
    int count = lame_encode_buffer_interleaved(encoder, const_cast<short*>(&pcm[first]),
                                               static_cast<int>(samples / 2), out.data(),
                                               capacity);
    ok = count >= 0;
    if (count > 0) std::fwrite(out.data(), static_cast<size_t>(count), 1, file);
    phases->Lap(BlockPhase::Sink);
    phases->EndBlock();
  }
  int count = lame_encode_flush(encoder, out.data(), capacity);
  if (count > 0) std::fwrite(out.data(), static_cast<size_t>(count), 1, file);
  lame_mp3_tags_fid(encoder, file);
  return ok && count >= 0;
}

}  // namespace

bool LibraryBench::Load(const std::string& input) {
  TestMp3::Decoded decoded = TestMp3::Read(input);
  pcm_.swap(decoded.pcm);
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  blockSize_ = decoder ? mpg123_outblock(decoder) : 0;
  mpg123_delete(decoder);
  return decoded.ok && decoded.channels == 2 && blockSize_ > 0;
}

bool LibraryBench::Decode(const std::string& input, Timing* timing,
                          BlockPhaseClock* phases) const {
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  if (!decoder || mpg123_open(decoder, input.c_str()) != MPG123_OK) {
    mpg123_delete(decoder);
    return false;
  }
  // Reading the format first, as the program does before its job starts.
  long rate;
  int channels, encoding;
  mpg123_getformat(decoder, &rate, &channels, &encoding);
  std::vector<unsigned char> block(blockSize_);
  Stopwatch stopwatch;
  phases->Start();
  size_t done = 0, total = 0;
  int result;
  do {
    result = mpg123_read(decoder, block.data(), block.size(), &done);
    total += done;
    phases->Lap(BlockPhase::Decode);
    if (done > 0) phases->EndBlock();
  } while (result == MPG123_OK);
  mpg123_close(decoder);
  phases->Stop();
  *timing = stopwatch.Elapsed();
  mpg123_delete(decoder);
  return result == MPG123_DONE && total == pcm_.size() * sizeof(int16_t);
}

// Timed from the first block to the closed file, as the program's job is.
bool LibraryBench::MeasureLoudness(Timing* timing) const {
  LoudnessMeter meter;
  Stopwatch stopwatch;
  bool ok = meter.Start(44100);
  const size_t blockFrames = blockSize_ / kBytesPerFrame;
  for (size_t first = 0; ok && first < pcm_.size() / 2; first += blockFrames) {
    size_t frames = std::min(blockFrames, pcm_.size() / 2 - first);
    meter.Add(AudioBlock{const_cast<int16_t*>(&pcm_[2 * first]), frames});
  }
  ok = ok && meter.Result().Known();
  *timing = stopwatch.Elapsed();
  return ok;
}

bool LibraryBench::Encode(const std::string& output, int kbps, int quality, Timing* timing,
                          BlockPhaseClock* phases) const {
  FILE* file = std::fopen(output.c_str(), "w+b");
  lame_t encoder = lame_init();
  if (!file || !encoder) {
    if (file) std::fclose(file);
    if (encoder) lame_close(encoder);
    return false;
  }
  lame_set_num_channels(encoder, 2);
  lame_set_out_samplerate(encoder, 44100);
  lame_set_quality(encoder, quality);
  lame_set_mode(encoder, STEREO);
  lame_set_brate(encoder, kbps);
  bool ok = lame_init_params(encoder) >= 0;
  Stopwatch stopwatch;
  phases->Start();
  ok = EncodeInto(file, encoder, pcm_, blockSize_, phases) && ok;
  lame_close(encoder);
  std::fclose(file);
  phases->Lap(BlockPhase::Finish);
  phases->Stop();
  *timing = stopwatch.Elapsed();
  return ok;
}
