#pragma once

#include <atomic>
#include <cstdint>

#include "AudioSink.h"
#include "BlockPhaseTimer.h"
#include "FadeIn.h"
#include "FileSink.h"
#include "GuardedModule.h"
#include "InputDecoder.h"
#include "JobDisplay.h"
#include "JobState.h"
#include "KString.h"
#include "PlaybackFacts.h"
#include "PluginStage.h"
#include "PreviewSink.h"
#include "ProgressThrottle.h"

// The job (this folder): one preview or conversion, in stages. The input
// decodes a block; the plug-in stage runs it through the module in
// Winamp-sized slices; what comes back is faded in at the start and goes to
// the sink, the preview's device or the conversion's file; the progress
// follows the input.
// Owns every stage, and with them the decoder, the audio device, the
// encoder, the buffers and the output file; borrows the plug-in (the
// Winamp host's GuardedModule).
// Threads: the window's thread prepares a job completely and begins it; the
// worker thread runs the block loop and the end of the job. What the job is
// doing is its JobState, which both threads read.
class ProcessingJob : public PlaybackFacts {
 public:
  ProcessingJob();
  ProcessingJob(const ProcessingJob&) = delete;
  ProcessingJob& operator=(const ProcessingJob&) = delete;
  ~ProcessingJob();

  // Once per window: the libraries, the decoder and the buffers. False when
  // the decoder or a buffer cannot be had.
  bool SetUp();
  // At close: everything SetUp made. Only while no job runs.
  void TearDown();

  // Opens the input; the caller checks the format with GetFormat.
  bool OpenInput(const KString& path);
  bool GetFormat(long* rate, int* channels, int* encoding);
  // The input's length in samples (0 when it cannot be measured).
  int64_t MeasureLength();
  void CloseInput() { input.Close(); }

  // Preview: opens the audio device in the stream's format. False, with
  // nothing left open but the input, when there is no device.
  bool PreparePreview();
  // Conversion: the input's tags are read, and the output's temporary file
  // made beside `path` (see OutputFile); false when it cannot be created.
  bool CreateOutput(const KString& path);
  // Then the encoder. False, with the temporary file removed and nothing
  // else left open, when the encoder or its buffer cannot be had.
  bool PrepareConversion(int kbps, int quality);
  // The prepared job goes from Idle to Running, just before its worker
  // starts; false when the previous job is not over yet.
  bool Begin();
  // Undoes a prepared (or begun) job that could not be started; an output
  // file that had the name is untouched. Back to Idle.
  void AbandonPrepared();

  // The worker's part: the block loop and the end phase of the job, which
  // ends Idle.
  void Run(JobDisplay& display);

  // Several inputs as one job (a batch): the phase goes Running once, each
  // input is prepared and run by the worker with RunNext, and EndSequence
  // ends it. Between inputs the job stays Running, so Stop ends the whole
  // sequence and plug-ins hear that sound goes on.
  bool BeginSequence(JobKind kind) { return state.Begin(kind); }
  // One prepared input to its end, told to `display` as a single job's end
  // would be; returns that ending. A stopped conversion's file is removed.
  JobEnding RunNext(JobDisplay& display);
  // Running or Stopping → Finishing; true when Stop had been pressed.
  bool FinishSequence() { return state.Finish(); }
  void EndSequence() { state.End(); }
  // Stop: the loop ends at the next slice.
  void RequestStop() { state.RequestStop(); }

  // The plug-in whose module gets the slices (none: the sound passes
  // unchanged). Set while no job runs.
  void SetPlugin(GuardedModule* guarded) { plugin.SetPlugin(guarded); }
  // A measurement of the worker's stages (none in the program).
  void SetPhaseTimer(BlockPhaseTimer* timer) { phaseTimer = timer; }
  const JobState& State() const { return state; }
  // For a program that gives up on a plug-in that does not return: closes
  // and removes the unfinished output while the worker is stuck elsewhere.
  void DeleteUnfinishedOutput() { file.DeleteUnfinished(); }
  // After a job that ended KeptAside: where the file is, and why the chosen
  // name could not take it.
  const KString& KeptOutputPath() const { return file.KeptPath(); }
  DWORD OutputMoveError() const { return file.MoveError(); }
  // After a job that ended TagsNotCopied: why.
  DWORD TagError() const { return file.TagError(); }
  // After a conversion that ended WriteError: whether the disk was full.
  bool OutputDiskFull() const { return file.DiskFull(); }
  std::atomic<int>& Volume() { return preview.Volume(); }

  // What Winamp's plug-ins may ask about the job.
  bool IsPlaying() const override { return state.IsPlaying(); }
  int PositionMs() const override;
  int64_t LengthMs() const override;
  long GetSampleRate() const override { return sampleRate; }
  int GetChannels() const override { return channels; }
  int GetBitRate() const override { return bitRate; }

 private:
  // The block loop; returns how it ended.
  JobEnding RunBlocks();
  // One decoded block through the plug-in, the fade and the sink.
  JobEnding Pass(AudioBlock decoded);
  // After the input's end: what the plug-in still holds, through the fade
  // and the sink.
  JobEnding Drain();
  JobEnding Emit(AudioBlock processed);
  // From the stages' start through the block loop.
  JobEnding Process(JobDisplay& display);
  // Closes the job's stages and tells `display`; returns the final ending.
  JobEnding End(JobEnding ending, JobDisplay& display);
  void Lap(BlockPhase phase) {
    if (phaseTimer) phaseTimer->Lap(phase);
  }

  JobState state;
  InputDecoder input;
  PluginStage plugin;
  FadeIn fade;
  PreviewSink preview;
  FileSink file;
  // The prepared job's sink: `preview` or `file`.
  AudioSink* sink;
  ProgressThrottle progress;
  BlockPhaseTimer* phaseTimer;
  KString inputPath;
  int64_t totalLength;
  int64_t framesRead;  // of this job's input, by the decoder
  std::atomic<int> positionMs;
  long sampleRate;
  int bitRate;
  int channels;
  int encoding;
};
