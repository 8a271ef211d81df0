#pragma once

#include <ao/ao.h>
#include <lame/lame.h>
#include <mpg123.h>

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "GuardedModule.h"
#include "JobDisplay.h"
#include "JobPhaseClock.h"
#include "JobState.h"
#include "KString.h"
#include "OutputFile.h"
#include "TagCopier.h"
#include "WinampDsp.h"

// The job (this folder): one preview or conversion. The input decoded block
// by block, every block run through the plug-in module in Winamp-sized
// slices, what the module returns faded in at the start, then played at the
// preview volume or encoded and appended to the output file, whose tags
// come from the input.
// Owns the decoder, the audio device, the encoder, the buffers and the
// output file; borrows the plug-in (the Winamp host's GuardedModule).
// Threads: the window's thread prepares a job completely and begins it; the
// worker thread runs the block loop and cleans up everything the job
// opened. What the job is doing is its JobState, which both threads read.
class ProcessingJob {
 public:
  ProcessingJob();
  ProcessingJob(const ProcessingJob&) = delete;
  ProcessingJob& operator=(const ProcessingJob&) = delete;
  ~ProcessingJob();

  // Once per window: the decoder, the block buffer and the audio driver.
  // False when the decoder or the buffer cannot be had.
  bool SetUp();
  // At close: everything SetUp made. Only while no job runs.
  void FreeBlockBuffer();
  void TearDown();

  // Opens the input; the caller checks the format with GetFormat.
  bool OpenInput(const char* path);
  bool OpenInput(const KString& path);
  bool GetFormat(long* rate, int* channels, int* encoding);
  // The input's length in samples (0 when it cannot be measured).
  int64_t MeasureLength();
  void CloseInput();

  // Preview: opens the audio device in the stream's format. False, with
  // nothing left open but the input, when there is no device.
  bool PreparePreview();
  // Conversion: the output's temporary file beside `path` (see OutputFile);
  // false when it cannot be created. The input's tags are read here.
  bool CreateOutput(const KString& path);
  // Then the encoder in plain stereo, its buffer sized for the worst case.
  // False, with the temporary file removed and nothing else left open, when
  // the encoder or its buffer cannot be had.
  bool PrepareConversion(int kbps, int quality);
  // The prepared job goes from Idle to Running, just before its worker
  // starts; false when the previous job is not over yet.
  bool Begin() { return state.Begin(preparedKind); }
  // Undoes a prepared (or begun) job that could not be started; an output
  // file that had the name is untouched. Back to Idle.
  void AbandonPrepared();

  // The worker's part: the block loop and the end phase of the job, which
  // ends Idle.
  void Run(JobDisplay& display);
  // Stop: the loop ends at the next slice.
  void RequestStop() { state.RequestStop(); }

  // The plug-in whose module gets the slices (none: the sound passes
  // unchanged). Set while no job runs.
  void SetPlugin(GuardedModule* guarded) { plugin = guarded; }
  const JobState& State() const { return state; }
  // For a program that gives up on a plug-in that does not return: closes
  // and removes the unfinished output while the worker is stuck elsewhere.
  void DeleteUnfinishedOutput() { output.Discard(); }
  // After a job that ended KeptAside: where the file is, and why the chosen
  // name could not take it.
  const KString& KeptOutputPath() const { return output.KeptPath(); }
  DWORD OutputMoveError() const { return output.MoveError(); }
  // After a job that ended TagsNotCopied: why.
  DWORD TagError() const { return tagError; }
  std::atomic<int>& Volume() { return volume; }
  size_t GetBlockSize() const { return blockSize; }

  // What Winamp's plug-ins may ask about the job: the input's position in
  // ms (-1 when no job runs), its length, rate, channels and bit rate.
  int PositionMs() const;
  int64_t LengthMs() const;
  long GetSampleRate() const { return sampleRate; }
  // Where the last conversion's worker spent its time; a benchmark may
  // have each block's phases kept too.
  const JobPhaseClock& PhaseTimes() const { return phaseClock; }
  void KeepBlockTimes(std::vector<BlockTicks>* blocks) { phaseClock.KeepBlocks(blocks); }
  int GetChannels() const { return channels; }
  int GetBitRate() const { return bitRate; }

 private:
  bool OpenDecoder(const char* path);
  void StartFadeIn(size_t firstBlockBytes);
  int16_t* ProcessBlock(size_t done, size_t* bytes);
  void Play(int16_t* samples, size_t bytes);
  int16_t* RunModule(size_t done, size_t* bytes);
  int CallModule(winampDSPModule* module, int16_t* samples, size_t frames);
  bool IsPreview() const { return state.Kind() == JobKind::Preview; }
  JobEnding EncodeBlock(int16_t* samples, size_t bytes);
  void EndPreview(JobEnding ending, JobDisplay& display);
  void EndConversion(JobEnding ending, JobDisplay& display);
  JobEnding FinishOutput(JobEnding ending);
  JobEnding PlaceOutput(JobEnding ending);
  // Writes what the encoder reported: EncoderError on a negative count,
  // WriteError when the file does not take it all, else Finished.
  JobEnding WriteEncoded(int count);
  void ShowChangedProgress(JobDisplay& display, int& shownPercent, bool last);
  int ProgressPercent();

  int audioDriverId;
  ao_device* audioDevice;
  mpg123_handle* decoder;
  size_t blockSize;
  unsigned char* blockBuffer;
  // What the plug-in returns of a block: up to twice its frames.
  unsigned char* outputBuffer;
  lame_global_flags* encoder;
  unsigned char* mp3Buffer;
  size_t mp3BufferSize;
  OutputFile output;
  TagCopier tags;
  DWORD tagError;
  KString inputPath;
  std::atomic<int> volume;
  int64_t totalLength;
  int64_t framesRead;     // of this job's input, by the decoder
  int64_t framesEncoded;  // given to the encoder
  std::atomic<int> positionMs;
  long sampleRate;
  int bitRate;
  int channels;
  int encoding;
  JobState state;
  JobKind preparedKind;
  GuardedModule* plugin;
  bool pluginFaulted;
  size_t fadeLength;    // sample values
  size_t fadePosition;  // sample values of output faded so far
  JobPhaseClock phaseClock;
  DWORD progressShownAt;  // GetTickCount of the last progress shown
};
