#include "FileSink.h"

#include <cerrno>
#include <cstdlib>

#include "TagCopier.h"

namespace {

// LAME's documented worst case: 1.25 × samples per channel + 7200 bytes.
size_t EncoderBufferSize(size_t frames) { return frames * 5 / 4 + 7200; }

}  // namespace

FileSink::FileSink()
    : encoder(nullptr),
      mp3Buffer(nullptr),
      mp3BufferSize(0),
      tagError(ERROR_SUCCESS),
      keepStopped(true),
      diskFull(false),
      sampleRate(0),
      framesEncoded(0),
      encoderDelay(-1),
      encoderPadding(-1) {}

FileSink::~FileSink() { Close(); }

bool FileSink::Create(const KString& target, const KString& inputPath) {
  diskFull = false;
  tags.ReadFrom(inputPath);
  return output.Create(target);
}

bool FileSink::Prepare(int kbps, int quality, long rate, size_t maxFrames) {
  sampleRate = rate;
  framesEncoded = 0;
  encoderDelay = -1;
  encoderPadding = -1;
  encoder = lame_init();
  mp3BufferSize = EncoderBufferSize(maxFrames);
  mp3Buffer = static_cast<unsigned char*>(malloc(mp3BufferSize));
  if (!encoder || !mp3Buffer) {
    Close();
    return false;
  }
  lame_set_num_channels(encoder, kChannels);
  lame_set_out_samplerate(encoder, static_cast<int>(sampleRate));
  lame_set_quality(encoder, quality);
  lame_set_mode(encoder, STEREO);
  lame_set_brate(encoder, kbps);
  lame_init_params(encoder);
  meter.Stop();
  if (tags.NeedsLoudness()) meter.Start(sampleRate);
  return true;
}

void FileSink::CloseEncoder() {
  if (encoder) lame_close(encoder);
  encoder = nullptr;
  free(mp3Buffer);
  mp3Buffer = nullptr;
}

void FileSink::Close() {
  CloseEncoder();
  meter.Stop();
  output.Discard();
}

JobEnding FileSink::Take(AudioBlock block) {
  if (block.IsEmpty()) return JobEnding::Finished;
  framesEncoded += static_cast<int64_t>(block.frames);
  meter.Add(block);
  return Write(lame_encode_buffer_interleaved(encoder, block.samples,
                                              static_cast<int>(block.frames), mp3Buffer,
                                              static_cast<int>(mp3BufferSize)));
}

JobEnding FileSink::Finish(JobEnding ending, PassedFrames passed) {
  JobEnding flushed = Write(lame_encode_flush(encoder, mp3Buffer, static_cast<int>(mp3BufferSize)));
  if (ending == JobEnding::Finished || ending == JobEnding::Aborted) {
    if (flushed != JobEnding::Finished) ending = flushed;
  }
  // A file of nothing but the encoder's frame would be no success.
  if (ending == JobEnding::Finished && framesEncoded == 0 && passed.input > 0) {
    ending = JobEnding::NoAudio;
  }
  // LAME reserves the first frame for its Info tag by default; filling it in
  // lets decoders drop the encoder's delay and padding, so the file plays
  // exactly as long as its input (the stream must be readable: "w+b"). A
  // failed write of it shows in the stream's error state, which Close checks.
  lame_mp3_tags_fid(encoder, output.Stream());
  // What the Info tag says of the encoder's own samples around the audio,
  // for the tags that tell players the same (iTunSMPB); the padding is
  // known once the flush has filled the last frame.
  encoderDelay = lame_get_encoder_delay(encoder);
  encoderPadding = lame_get_encoder_padding(encoder);
  CloseEncoder();
  bool placed = ending == JobEnding::Finished || (ending == JobEnding::Aborted && keepStopped);
  if (!placed) {
    output.Discard();
    return ending;
  }
  return Place(ending, passed);
}

// The tags go in once the audio is complete, so LAME's bit buffer never
// carries them, whatever their size. Finished audio is placed with or
// without them.
JobEnding FileSink::Place(JobEnding ending, PassedFrames passed) {
  TagTiming timing = {passed.input, framesEncoded, passed.tail, sampleRate, encoderDelay,
                      encoderPadding};
  if (!output.Close()) {
    NoteWriteFailure();
    output.Discard();
    return JobEnding::WriteError;
  }
  tagError = tags.WriteTo(output.TemporaryPath(), timing, meter.Result());
  meter.Stop();
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
JobEnding FileSink::Write(int count) {
  if (count < 0) return JobEnding::EncoderError;
  if (count > 0 && fwrite(mp3Buffer, static_cast<size_t>(count), 1, output.Stream()) != 1) {
    NoteWriteFailure();
    return JobEnding::WriteError;
  }
  return JobEnding::Finished;
}

void FileSink::NoteWriteFailure() {
  DWORD error = GetLastError();
  diskFull = diskFull || errno == ENOSPC || error == ERROR_DISK_FULL ||
             error == ERROR_HANDLE_DISK_FULL;
}
