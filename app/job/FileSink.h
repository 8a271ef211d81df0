#pragma once

#include <lame/lame.h>

#include <cstdint>

#include "AudioSink.h"
#include "KString.h"
#include "LoudnessMeter.h"
#include "OutputFile.h"
#include "TagCopier.h"

// The conversion's sink: LAME in plain stereo, the output file (see
// OutputFile) and, once the audio is complete, the Info tag and the input's
// tags. When those hold loudness values, what goes into the encoder is
// measured for them too. Owns the encoder, its buffer, the meter and the
// file.
class FileSink : public AudioSink {
 public:
  FileSink();
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;
  ~FileSink() override;

  // The input's tags, read now: the input may be gone by the end (a failure
  // shows only then, and costs the output nothing but its tags). Then the
  // temporary file beside `target`; false when it cannot be created.
  bool Create(const KString& target, const KString& inputPath);
  // The encoder for blocks of up to `maxFrames`, its buffer sized for the
  // worst case, and the loudness meter if the tags need it. False when the
  // encoder or its buffer cannot be had (a meter that cannot start leaves
  // only the tags out, at the end).
  bool Prepare(int kbps, int quality, long sampleRate, size_t maxFrames);
  // Closes the encoder and removes an unfinished file; the chosen name is
  // untouched. Harmless when nothing is open.
  void Close();

  JobEnding Take(AudioBlock block) override;
  // The flush, the Info tag, the input's tags and the file, every write
  // checked. A finished or stopped conversion's file is moved onto the
  // chosen name; a failed one's is removed.
  JobEnding Finish(JobEnding ending, PassedFrames passed) override;

  // For a program that gives up on a plug-in that does not return: closes
  // and removes the unfinished output while the worker is stuck elsewhere.
  void DeleteUnfinished() { output.Discard(); }
  // After a conversion that ended KeptAside: where the file is, and why the
  // chosen name could not take it.
  const KString& KeptPath() const { return output.KeptPath(); }
  DWORD MoveError() const { return output.MoveError(); }
  // After a conversion that ended TagsNotCopied: why.
  DWORD TagError() const { return tagError; }
  // Whether a stopped conversion's file is placed (true, as it is when one
  // file is converted) or removed.
  void KeepStopped(bool keep) { keepStopped = keep; }
  // After WriteError: whether the disk was full, so nothing more can be.
  bool DiskFull() const { return diskFull; }

 private:
  // Writes what the encoder reported: EncoderError on a negative count,
  // WriteError when the file does not take it all, else Finished.
  JobEnding Write(int count);
  JobEnding Place(JobEnding ending, PassedFrames passed);
  void NoteWriteFailure();
  void CloseEncoder();

  lame_global_flags* encoder;
  unsigned char* mp3Buffer;
  size_t mp3BufferSize;
  OutputFile output;
  TagCopier tags;
  LoudnessMeter meter;
  DWORD tagError;
  bool keepStopped;
  bool diskFull;
  long sampleRate;
  int64_t framesEncoded;
  int encoderDelay;
  int encoderPadding;
};
