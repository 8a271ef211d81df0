#include "ProcessingJob.h"

#include <windows.h>

#include <cstdlib>

#include "SampleTransforms.h"

namespace {

constexpr int kBytesPerFrame = 4;  // 16-bit samples, two channels
constexpr int kBitsPerSample = 16;
constexpr int kChannels = 2;
constexpr int kInitialVolume = 50;
// LAME's documented worst case: 1.25 × samples per channel + 7200 bytes.
size_t EncoderBufferSize(size_t blockSize) {
  return blockSize / kBytesPerFrame * 5 / 4 + 7200;
}

}  // namespace

ProcessingJob::ProcessingJob()
    : audioDriverId(-1),
      audioDevice(nullptr),
      decoder(nullptr),
      blockSize(0),
      blockBuffer(nullptr),
      encoder(nullptr),
      mp3Buffer(nullptr),
      mp3BufferSize(0),
      outputFile(nullptr),
      volume(kInitialVolume),
      totalLength(0),
      sampleRate(0),
      channels(0),
      encoding(0),
      isConverting(0),
      isPreview(false),
      dspModule(nullptr),
      active(false) {}

ProcessingJob::~ProcessingJob() { TearDown(); }

bool ProcessingJob::SetUp() {
  ao_initialize();
  audioDriverId = ao_default_driver_id();
  mpg123_init();
  decoder = mpg123_new(nullptr, nullptr);
  if (!decoder) return false;
  blockSize = mpg123_outblock(decoder);
  blockBuffer = static_cast<unsigned char*>(malloc(blockSize));
  return blockBuffer != nullptr;
}

void ProcessingJob::FreeBlockBuffer() {
  free(blockBuffer);
  blockBuffer = nullptr;
}

void ProcessingJob::TearDown() {
  if (!decoder && !blockBuffer) return;
  FreeBlockBuffer();
  mpg123_delete(decoder);
  decoder = nullptr;
  mpg123_exit();
  ao_shutdown();
}

bool ProcessingJob::OpenInput(const char* path) {
  return path && mpg123_open(decoder, path) == MPG123_OK;
}

// On Windows the decoder takes a UTF-8 path to its wide-character open, so
// names outside the ANSI code page open too; the ANSI form is the fallback.
bool ProcessingJob::OpenInput(const KString& path) {
  const wchar_t* wide = path;
  if (!wide) return false;
  int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  char* utf8 = size > 0 ? static_cast<char*>(malloc(size)) : nullptr;
  bool opened = utf8 && WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, size, nullptr, nullptr) &&
                OpenInput(utf8);
  free(utf8);
  return opened || OpenInput(static_cast<const char*>(path));
}

bool ProcessingJob::GetFormat(long* rate, int* channelCount, int* encodingId) {
  *rate = 0;
  *channelCount = 0;
  *encodingId = 0;
  bool known = mpg123_getformat(decoder, rate, channelCount, encodingId) == MPG123_OK;
  sampleRate = *rate;
  channels = *channelCount;
  encoding = *encodingId;
  return known;
}

int64_t ProcessingJob::MeasureLength() {
  off_t position = mpg123_tell(decoder);
  mpg123_seek(decoder, 0, SEEK_END);
  off_t length = mpg123_tell(decoder);
  mpg123_seek(decoder, position, SEEK_SET);
  totalLength = length > 0 ? length : 0;
  return totalLength;
}

void ProcessingJob::CloseInput() { mpg123_close(decoder); }

bool ProcessingJob::PreparePreview() {
  ao_sample_format format = {};
  format.bits = 8 * mpg123_encsize(encoding);
  format.rate = static_cast<int>(sampleRate);
  format.channels = channels;
  format.byte_format = AO_FMT_NATIVE;
  format.matrix = nullptr;
  audioDevice = ao_open_live(audioDriverId, &format, nullptr);
  isPreview = true;
  return audioDevice != nullptr;
}

bool ProcessingJob::PrepareConversion(FILE* output, int kbps, int quality) {
  outputFile = output;
  encoder = lame_init();
  mp3BufferSize = EncoderBufferSize(blockSize);
  mp3Buffer = static_cast<unsigned char*>(malloc(mp3BufferSize));
  if (!encoder || !mp3Buffer) {
    AbandonPrepared();
    return false;
  }
  lame_set_num_channels(encoder, kChannels);
  lame_set_out_samplerate(encoder, static_cast<int>(sampleRate));
  lame_set_quality(encoder, quality);
  lame_set_mode(encoder, STEREO);
  lame_set_brate(encoder, kbps);
  lame_init_params(encoder);
  isPreview = false;
  return true;
}

void ProcessingJob::AbandonPrepared() {
  if (audioDevice) ao_close(audioDevice);
  audioDevice = nullptr;
  if (encoder) lame_close(encoder);
  encoder = nullptr;
  free(mp3Buffer);
  mp3Buffer = nullptr;
  if (outputFile) fclose(outputFile);
  outputFile = nullptr;
  active = false;
}

void ProcessingJob::Run(std::atomic<bool>& running, const std::atomic<bool>& stopRequested,
                        JobDisplay& display) {
  JobEnding ending = JobEnding::Finished;
  bool first = true;
  int shownPercent = -1;  // the first block's progress is always shown
  while (!stopRequested) {
    size_t done = 0;
    int result = mpg123_read(decoder, blockBuffer, blockSize, &done);
    if (result != MPG123_OK && result != MPG123_DONE) {
      ending = JobEnding::DecoderError;
      break;
    }
    // The decoder hands over the end of the stream together with
    // MPG123_DONE: that last, partial block is part of the input too.
    if (done > 0) {
      ProcessBlock(done, first);
      first = false;
      if (isPreview) {
        ao_play(audioDevice, reinterpret_cast<char*>(blockBuffer), static_cast<uint_32>(done));
      } else if (EncodeBlock(done)) {
        ShowChangedProgress(display, shownPercent);
      } else {
        ending = JobEnding::EncoderError;
        break;
      }
    }
    if (result == MPG123_DONE) break;
  }
  running = false;
  if (ending == JobEnding::Finished && stopRequested) ending = JobEnding::Aborted;
  if (isPreview) {
    EndPreview(ending, display);
  } else {
    EndConversion(ending, display);
  }
  mpg123_close(decoder);
  active = false;
}

// The plug-in, then the fade-in of the run's first block, then the volume:
// all in place on the one block buffer.
void ProcessingJob::ProcessBlock(size_t done, bool first) {
  int16_t* samples = reinterpret_cast<int16_t*>(blockBuffer);
  if (dspModule && dspModule->ModifySamples) {
    dspModule->ModifySamples(dspModule, samples, static_cast<int>(done / kBytesPerFrame),
                             kBitsPerSample, kChannels, static_cast<int>(sampleRate));
  }
  if (first) SampleTransforms::FadeIn(samples, done);
  if (isPreview) SampleTransforms::ApplyVolume(samples, done, volume);
}

bool ProcessingJob::EncodeBlock(size_t done) {
  int count = lame_encode_buffer_interleaved(
      encoder, reinterpret_cast<short*>(blockBuffer), static_cast<int>(done / kBytesPerFrame),
      mp3Buffer, static_cast<int>(mp3BufferSize));
  return WriteEncoded(count);
}

void ProcessingJob::EndPreview(JobEnding ending, JobDisplay& display) {
  display.StopMarquee();
  ao_close(audioDevice);
  audioDevice = nullptr;
  display.ShowPreviewEnd(ending);
}

void ProcessingJob::EndConversion(JobEnding ending, JobDisplay& display) {
  int count = lame_encode_flush(encoder, mp3Buffer, static_cast<int>(mp3BufferSize));
  if (!WriteEncoded(count) && ending != JobEnding::DecoderError) ending = JobEnding::EncoderError;
  // LAME reserves the first frame for its Info tag by default; filling it in
  // lets decoders drop the encoder's delay and padding, so the file plays
  // exactly as long as its input (the stream must be readable: "w+b").
  lame_mp3_tags_fid(encoder, outputFile);
  lame_close(encoder);
  encoder = nullptr;
  fclose(outputFile);
  outputFile = nullptr;
  free(mp3Buffer);
  mp3Buffer = nullptr;
  display.ShowConversionEnd(ending);
  isConverting = 0;
}

// A negative count is an encoder failure, never a length to write.
bool ProcessingJob::WriteEncoded(int count) {
  if (count < 0) return false;
  if (count > 0) fwrite(mp3Buffer, static_cast<size_t>(count), 1, outputFile);
  return true;
}

// The bar shows whole percents, and a long input has many blocks to a
// percent: only a change is shown, so the window's thread is not kept busy
// redrawing the same bar.
void ProcessingJob::ShowChangedProgress(JobDisplay& display, int& shownPercent) {
  int percent = ProgressPercent();
  if (percent == shownPercent) return;
  display.ShowProgress(percent);
  shownPercent = percent;
}

int ProcessingJob::ProgressPercent() {
  if (totalLength <= 0) return 0;
  off_t position = mpg123_tell(decoder);
  if (position <= 0) return 0;
  double percent = static_cast<double>(position) / static_cast<double>(totalLength) * 100.0;
  return percent >= 100.0 ? 100 : static_cast<int>(percent);
}
