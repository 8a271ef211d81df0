#pragma once

#include <lame/lame.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Writes an MP3 file piece by piece with the program's own LAME, so inputs
// of any length can be made without holding their PCM in memory.
class Mp3FileWriter {
 public:
  Mp3FileWriter() = default;
  Mp3FileWriter(const Mp3FileWriter&) = delete;
  Mp3FileWriter& operator=(const Mp3FileWriter&) = delete;
  ~Mp3FileWriter();

  bool Open(const std::string& path, int rate, int channels, int kbps);
  // Interleaved PCM of the channel count given to Open.
  bool Append(const std::vector<int16_t>& pcm);
  // Flushes the encoder and completes the gapless tag; false if any step
  // since Open failed.
  bool Finish();

 private:
  bool Write(int count);

  FILE* file_ = nullptr;
  lame_t encoder_ = nullptr;
  int channels_ = 0;
  bool ok_ = false;
  std::vector<unsigned char> out_;
  std::vector<int16_t> copy_;
};
