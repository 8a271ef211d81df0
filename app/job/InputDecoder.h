#pragma once

#include <mpg123.h>

#include <cstdint>

#include "AudioBlock.h"
#include "KString.h"

// The job's input: libmpg123, its one handle for the window's lifetime and
// the block buffer it decodes into.
class InputDecoder {
 public:
  InputDecoder();
  InputDecoder(const InputDecoder&) = delete;
  InputDecoder& operator=(const InputDecoder&) = delete;
  ~InputDecoder();

  // Once: the library, the handle and the block buffer. False when the
  // handle or the buffer cannot be had.
  bool SetUp();
  // Closes the input and frees everything SetUp made; once more is harmless.
  void TearDown();

  bool Open(const KString& path);
  // The stream's format; its bit rate from the first frame (0 if unknown).
  bool GetFormat(long* rate, int* channels, int* encoding, int* bitRate);
  // The input's length in samples (0 when it cannot be measured).
  int64_t MeasureLength();
  void Close();

  enum class Read { More, Last, Failed };
  // The next block into `block` (empty when the decoder had nothing): Last
  // with the stream's end, whose final partial block comes with it.
  Read Next(AudioBlock* block);
  // Where the decoder is, in samples of the stream.
  int64_t Position();
  size_t BlockFrames() const { return blockSize / kBytesPerFrame; }

 private:
  bool OpenPath(const char* path);

  mpg123_handle* decoder;
  bool libraryStarted;
  size_t blockSize;
  unsigned char* blockBuffer;
};
