#include "InputDecoder.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

InputDecoder::InputDecoder()
    : decoder(nullptr), libraryStarted(false), blockSize(0), blockBuffer(nullptr) {}

InputDecoder::~InputDecoder() { TearDown(); }

bool InputDecoder::SetUp() {
  mpg123_init();
  libraryStarted = true;
  decoder = mpg123_new(nullptr, nullptr);
  if (!decoder) return false;
  blockSize = mpg123_outblock(decoder);
  blockBuffer = static_cast<unsigned char*>(malloc(blockSize));
  return blockBuffer != nullptr;
}

void InputDecoder::TearDown() {
  free(blockBuffer);
  blockBuffer = nullptr;
  if (decoder) mpg123_delete(decoder);  // closes an input left open
  decoder = nullptr;
  if (libraryStarted) mpg123_exit();
  libraryStarted = false;
}

bool InputDecoder::OpenPath(const char* path) {
  return decoder && path && mpg123_open(decoder, path) == MPG123_OK;
}

// On Windows the decoder takes a UTF-8 path to its wide-character open, so
// names outside the ANSI code page open too; the ANSI form is the fallback.
bool InputDecoder::Open(const KString& path) {
  const wchar_t* wide = path;
  if (!wide) return false;
  int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  char* utf8 = size > 0 ? static_cast<char*>(malloc(size)) : nullptr;
  bool opened = utf8 && WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, size, nullptr, nullptr) &&
                OpenPath(utf8);
  free(utf8);
  return opened || OpenPath(path);
}

bool InputDecoder::GetFormat(long* rate, int* channels, int* encoding, int* bitRate) {
  *rate = 0;
  *channels = 0;
  *encoding = 0;
  bool known = mpg123_getformat(decoder, rate, channels, encoding) == MPG123_OK;
  mpg123_frameinfo info = {};
  *bitRate = known && mpg123_info(decoder, &info) == MPG123_OK ? info.bitrate : 0;
  return known;
}

int64_t InputDecoder::MeasureLength() {
  off_t position = mpg123_tell(decoder);
  mpg123_seek(decoder, 0, SEEK_END);
  off_t length = mpg123_tell(decoder);
  mpg123_seek(decoder, position, SEEK_SET);
  return length > 0 ? length : 0;
}

void InputDecoder::Close() {
  if (decoder) mpg123_close(decoder);
}

InputDecoder::Read InputDecoder::Next(AudioBlock* block) {
  size_t done = 0;
  int result = mpg123_read(decoder, blockBuffer, blockSize, &done);
  block->samples = reinterpret_cast<int16_t*>(blockBuffer);
  block->frames = done / kBytesPerFrame;
  if (result == MPG123_OK) return Read::More;
  return result == MPG123_DONE ? Read::Last : Read::Failed;
}

int64_t InputDecoder::Position() { return mpg123_tell(decoder); }
