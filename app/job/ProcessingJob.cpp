#include "ProcessingJob.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "SampleTransforms.h"
#include "TagCopier.h"

namespace {

constexpr int kBytesPerFrame = 4;  // 16-bit samples, two channels
constexpr int kBitsPerSample = 16;
constexpr int kChannels = 2;
constexpr int kInitialVolume = 50;
// Winamp hands its DSP plug-ins about this many frames per call, and
// plug-ins size their buffers and count their delays by it.
constexpr size_t kSliceFrames = 576;
// Silence that starts the preview's output (46 ms).
constexpr size_t kPrimeFrames = 2048;
// A plug-in may return up to twice the frames it was given.
constexpr size_t kGrowth = 2;
// The least time between two progress displays.
constexpr DWORD kProgressIntervalMs = 100;
// LAME's documented worst case: 1.25 × samples per channel + 7200 bytes.
size_t EncoderBufferSize(size_t bytes) { return bytes / kBytesPerFrame * 5 / 4 + 7200; }

}  // namespace

ProcessingJob::ProcessingJob()
    : audioDriverId(-1),
      audioDevice(nullptr),
      decoder(nullptr),
      blockSize(0),
      blockBuffer(nullptr),
      outputBuffer(nullptr),
      encoder(nullptr),
      mp3Buffer(nullptr),
      mp3BufferSize(0),
      tagError(ERROR_SUCCESS),
      volume(kInitialVolume),
      totalLength(0),
      framesRead(0),
      framesEncoded(0),
      positionMs(0),
      sampleRate(0),
      bitRate(0),
      channels(0),
      encoding(0),
      preparedKind(JobKind::Preview),
      plugin(nullptr),
      pluginFaulted(false),
      fadeLength(0),
      fadePosition(0),
      progressShownAt(0) {}

ProcessingJob::~ProcessingJob() { TearDown(); }

bool ProcessingJob::SetUp() {
  ao_initialize();
  audioDriverId = ao_default_driver_id();
  mpg123_init();
  decoder = mpg123_new(nullptr, nullptr);
  if (!decoder) return false;
  blockSize = mpg123_outblock(decoder);
  blockBuffer = static_cast<unsigned char*>(malloc(blockSize));
  outputBuffer = static_cast<unsigned char*>(malloc(kGrowth * blockSize));
  return blockBuffer && outputBuffer;
}

void ProcessingJob::FreeBlockBuffer() {
  free(blockBuffer);
  blockBuffer = nullptr;
  free(outputBuffer);
  outputBuffer = nullptr;
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
  inputPath = path;
  return OpenDecoder(path);
}

bool ProcessingJob::OpenDecoder(const char* path) {
  return path && mpg123_open(decoder, path) == MPG123_OK;
}

// On Windows the decoder takes a UTF-8 path to its wide-character open, so
// names outside the ANSI code page open too; the ANSI form is the fallback.
bool ProcessingJob::OpenInput(const KString& path) {
  inputPath = path;
  const wchar_t* wide = path;
  if (!wide) return false;
  int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  char* utf8 = size > 0 ? static_cast<char*>(malloc(size)) : nullptr;
  bool opened = utf8 && WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, size, nullptr, nullptr) &&
                OpenDecoder(utf8);
  free(utf8);
  return opened || OpenDecoder(path);
}

bool ProcessingJob::GetFormat(long* rate, int* channelCount, int* encodingId) {
  *rate = 0;
  *channelCount = 0;
  *encodingId = 0;
  bool known = mpg123_getformat(decoder, rate, channelCount, encodingId) == MPG123_OK;
  mpg123_frameinfo info = {};
  bitRate = known && mpg123_info(decoder, &info) == MPG123_OK ? info.bitrate : 0;
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
  preparedKind = JobKind::Preview;
  if (!audioDevice) return false;
  // A few blocks of silence first: an output stream that starts with a
  // single short block runs dry at once and pads itself with silence (Wine's
  // does, for 25 ms); better that happens before the sound than inside it.
  size_t primeBytes = kPrimeFrames * kBytesPerFrame;
  if (primeBytes <= blockSize) {
    memset(blockBuffer, 0, primeBytes);
    ao_play(audioDevice, reinterpret_cast<char*>(blockBuffer), static_cast<uint_32>(primeBytes));
  }
  return true;
}

// The tags are read now: the input may be gone by the end (a failure shows
// only then, and costs the output nothing but its tags).
bool ProcessingJob::CreateOutput(const KString& path) {
  tags.ReadFrom(inputPath);
  return output.Create(path);
}

bool ProcessingJob::PrepareConversion(int kbps, int quality) {
  encoder = lame_init();
  mp3BufferSize = EncoderBufferSize(kGrowth * blockSize);
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
  preparedKind = JobKind::Conversion;
  return true;
}

void ProcessingJob::AbandonPrepared() {
  if (audioDevice) ao_close(audioDevice);
  audioDevice = nullptr;
  if (encoder) lame_close(encoder);
  encoder = nullptr;
  free(mp3Buffer);
  mp3Buffer = nullptr;
  output.Discard();
  state.End();
}

void ProcessingJob::Run(JobDisplay& display) {
  JobEnding ending = JobEnding::Finished;
  bool first = true;
  int shownPercent = -1;  // the first block's progress is always shown
  framesRead = 0;
  framesEncoded = 0;
  positionMs = 0;
  pluginFaulted = false;
  phaseClock.Start();
  while (!state.IsStopping()) {
    size_t done = 0;
    int result = mpg123_read(decoder, blockBuffer, blockSize, &done);
    phaseClock.Lap(BlockPhase::Decode);
    if (result != MPG123_OK && result != MPG123_DONE) {
      ending = JobEnding::DecoderError;
      break;
    }
    // The decoder hands over the end of the stream together with
    // MPG123_DONE: that last, partial block is part of the input too.
    if (done > 0) {
      if (first) StartFadeIn(done);
      first = false;
      size_t bytes = 0;
      int16_t* samples = ProcessBlock(done, &bytes);
      if (pluginFaulted) {
        ending = JobEnding::PluginFault;
        break;
      }
      framesRead += static_cast<int64_t>(done / kBytesPerFrame);
      positionMs = sampleRate > 0 ? static_cast<int>(framesRead * 1000 / sampleRate) : 0;
      if (IsPreview()) {
        Play(samples, bytes);
      } else {
        ending = EncodeBlock(samples, bytes);
        if (ending != JobEnding::Finished) break;
        ShowChangedProgress(display, shownPercent, false);
        phaseClock.Lap(BlockPhase::Progress);
        phaseClock.EndBlock();
      }
    }
    if (result == MPG123_DONE) break;
  }
  if (!IsPreview() && shownPercent >= 0) ShowChangedProgress(display, shownPercent, true);
  bool stopped = state.Finish();
  if (ending == JobEnding::Finished && stopped) ending = JobEnding::Aborted;
  if (IsPreview()) {
    EndPreview(ending, display);
  } else {
    EndConversion(ending, display);
  }
  state.End();
}

int ProcessingJob::PositionMs() const { return state.IsIdle() ? -1 : positionMs.load(); }

int64_t ProcessingJob::LengthMs() const {
  return sampleRate > 0 ? totalLength * 1000 / sampleRate : 0;
}

// The fade covers the start of what the plug-in lets through, as long as a
// quarter of the first decoded block's sample values, however the plug-in
// spreads that output over its calls.
void ProcessingJob::StartFadeIn(size_t firstBlockBytes) {
  fadeLength = firstBlockBytes / 8;
  fadePosition = 0;
}

// The plug-in, then the fade-in. Returns the samples that go on and their
// size in `bytes`.
int16_t* ProcessingJob::ProcessBlock(size_t done, size_t* bytes) {
  int16_t* samples = RunModule(done, bytes);
  size_t values = *bytes / 2;
  if (fadePosition < fadeLength) {
    SampleTransforms::FadeInPart(samples, values, fadePosition, fadeLength);
  }
  fadePosition += values;
  phaseClock.Lap(BlockPhase::Fade);
  return samples;
}

// The volume is applied just before each slice goes to the device, and the
// device takes a slice at a time, waiting while its queue is full: a move of
// the slider is heard once the queue ahead of it has played, not a whole
// block later. Stop likewise takes effect at the next slice.
void ProcessingJob::Play(int16_t* samples, size_t bytes) {
  const size_t sliceBytes = kSliceFrames * kBytesPerFrame;
  for (size_t done = 0; done < bytes && !state.IsStopping(); done += sliceBytes) {
    size_t slice = bytes - done < sliceBytes ? bytes - done : sliceBytes;
    int16_t* at = samples + done / sizeof(int16_t);
    SampleTransforms::ApplyVolume(at, slice, volume);
    ao_play(audioDevice, reinterpret_cast<char*>(at), static_cast<uint_32>(slice));
  }
}

// Winamp's calling pattern, which real plug-ins are written for: slices of
// at most 576 frames, each with room behind it for twice its frames, and
// the count each call returns is what goes on. The slices are copied one
// after another into the output buffer, each just behind what the previous
// calls returned; since no call returns more than twice its frames, the room
// is always there. A count out of that range is the plug-in's mistake: the
// slice then keeps its own length.
int16_t* ProcessingJob::RunModule(size_t done, size_t* bytes) {
  const int16_t* input = reinterpret_cast<const int16_t*>(blockBuffer);
  // A library that faulted, on either thread, gets nothing more.
  if (plugin && plugin->HasFaulted()) {
    pluginFaulted = true;
    *bytes = 0;
    return reinterpret_cast<int16_t*>(blockBuffer);
  }
  winampDSPModule* module = plugin ? plugin->Module() : nullptr;
  if (!module || !module->ModifySamples) {
    *bytes = done;
    return reinterpret_cast<int16_t*>(blockBuffer);
  }
  int16_t* output = reinterpret_cast<int16_t*>(outputBuffer);
  size_t frames = done / kBytesPerFrame;
  size_t written = 0;
  // Stop is taken between slices: through a slow plug-in a whole block can
  // take many seconds.
  for (size_t first = 0; first < frames && !state.IsStopping(); first += kSliceFrames) {
    size_t slice = frames - first < kSliceFrames ? frames - first : kSliceFrames;
    int16_t* at = output + written * kChannels;
    memcpy(at, input + first * kChannels, slice * kBytesPerFrame);
    phaseClock.Lap(BlockPhase::Copy);
    int count = CallModule(module, at, slice);
    phaseClock.Lap(BlockPhase::Plugin);
    if (pluginFaulted) break;
    bool valid = count >= 0 && static_cast<size_t>(count) <= kGrowth * slice;
    written += valid ? static_cast<size_t>(count) : slice;
  }
  *bytes = written * kBytesPerFrame;
  return output;
}

// Guarded: a fault (here or on the window's thread) ends the job, and the
// plug-in is not called again.
int ProcessingJob::CallModule(winampDSPModule* module, int16_t* samples, size_t frames) {
  int count = 0;
  auto call = [&] {
    count = module->ModifySamples(module, samples, static_cast<int>(frames), kBitsPerSample,
                                  kChannels, static_cast<int>(sampleRate));
  };
  state.EnterPluginCall();
  bool returned = plugin->Run(call);
  state.LeavePluginCall();
  if (!returned) pluginFaulted = true;
  return count;
}

JobEnding ProcessingJob::EncodeBlock(int16_t* samples, size_t bytes) {
  if (bytes == 0) return JobEnding::Finished;
  framesEncoded += static_cast<int64_t>(bytes / kBytesPerFrame);
  int count = lame_encode_buffer_interleaved(encoder, samples,
                                             static_cast<int>(bytes / kBytesPerFrame), mp3Buffer,
                                             static_cast<int>(mp3BufferSize));
  phaseClock.Lap(BlockPhase::Encode);
  JobEnding written = WriteEncoded(count);
  phaseClock.Lap(BlockPhase::Write);
  return written;
}

// Everything the job opened is closed before the idle controls come back,
// so a job started from them never meets this one's decoder or device.
void ProcessingJob::EndPreview(JobEnding ending, JobDisplay& display) {
  display.StopMarquee();
  ao_close(audioDevice);
  audioDevice = nullptr;
  mpg123_close(decoder);
  display.ShowPreviewEnd(ending);
}

void ProcessingJob::EndConversion(JobEnding ending, JobDisplay& display) {
  display.ConversionFinishing();
  ending = FinishOutput(ending);
  phaseClock.Lap(BlockPhase::Finish);
  phaseClock.Stop();
  mpg123_close(decoder);
  display.ShowConversionEnd(ending);
}

// The flush, the Info tag, the input's tags and the file, every write
// checked. A finished or stopped conversion's file is moved onto the chosen
// name; a failed one's is removed.
JobEnding ProcessingJob::FinishOutput(JobEnding ending) {
  JobEnding flushed = WriteEncoded(lame_encode_flush(encoder, mp3Buffer,
                                                     static_cast<int>(mp3BufferSize)));
  if (ending == JobEnding::Finished || ending == JobEnding::Aborted) {
    if (flushed != JobEnding::Finished) ending = flushed;
  }
  // LAME reserves the first frame for its Info tag by default; filling it in
  // lets decoders drop the encoder's delay and padding, so the file plays
  // exactly as long as its input (the stream must be readable: "w+b"). A
  // failed write of it shows in the stream's error state, which Close checks.
  lame_mp3_tags_fid(encoder, output.Stream());
  lame_close(encoder);
  encoder = nullptr;
  free(mp3Buffer);
  mp3Buffer = nullptr;
  if (ending != JobEnding::Finished && ending != JobEnding::Aborted) {
    output.Discard();
    return ending;
  }
  return PlaceOutput(ending);
}

// The tags go in once the audio is complete, so LAME's bit buffer never
// carries them, whatever their size. Finished audio is placed with or
// without them.
JobEnding ProcessingJob::PlaceOutput(JobEnding ending) {
  TagTiming timing = {framesRead, framesEncoded, sampleRate};
  if (!output.Close()) {
    output.Discard();
    return JobEnding::WriteError;
  }
  tagError = tags.WriteTo(output.TemporaryPath(), timing);
  switch (output.Commit()) {
    case OutputFile::Placed::AtTarget:
      return tagError == ERROR_SUCCESS ? ending : JobEnding::TagsNotCopied;
    case OutputFile::Placed::KeptAside:
      return JobEnding::KeptAside;
    case OutputFile::Placed::Lost:
      break;
  }
  return JobEnding::WriteError;
}

// A negative count is an encoder failure, never a length to write.
JobEnding ProcessingJob::WriteEncoded(int count) {
  if (count < 0) return JobEnding::EncoderError;
  if (count > 0 && fwrite(mp3Buffer, static_cast<size_t>(count), 1, output.Stream()) != 1) {
    return JobEnding::WriteError;
  }
  return JobEnding::Finished;
}

// The bar shows whole percents, and a long input has many blocks to a
// percent: only a change is shown, so the window's thread is not kept busy
// redrawing the same bar. Each showing wakes the window's thread, which
// redraws, and costs the worker a round trip through the system (Wine's
// server): a hundred of them were several percent of a short conversion.
// So a change waits until a tenth of a second has passed since the last
// one shown, which the eye does not tell from every percent; the first
// block's percent is always shown, and so is the `last`, where the loop
// ended, which stays on the bar through the end phase's pause.
void ProcessingJob::ShowChangedProgress(JobDisplay& display, int& shownPercent, bool last) {
  DWORD now = GetTickCount();
  bool due = shownPercent < 0 || last || now - progressShownAt >= kProgressIntervalMs;
  if (!due) return;
  int percent = ProgressPercent();
  if (percent == shownPercent) return;
  display.ShowProgress(percent);
  shownPercent = percent;
  progressShownAt = now;
}

int ProcessingJob::ProgressPercent() {
  if (totalLength <= 0) return 0;
  off_t position = mpg123_tell(decoder);
  if (position <= 0) return 0;
  double percent = static_cast<double>(position) / static_cast<double>(totalLength) * 100.0;
  return percent >= 100.0 ? 100 : static_cast<int>(percent);
}
