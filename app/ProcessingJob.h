#pragma once

#include <ao/ao.h>
#include <lame/lame.h>
#include <mpg123.h>

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "JobDisplay.h"
#include "KString.h"
#include "OutputFile.h"
#include "WinampDsp.h"

// One preview or conversion: the input decoded block by block, every block
// run through the plug-in module in Winamp-sized slices, what the module
// returns faded in at the start, then played at the preview volume or
// encoded and appended to the output file.
// The window's thread prepares a job completely; the worker runs the block
// loop and cleans up everything the job opened.
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
  // false when it cannot be created.
  bool CreateOutput(const KString& path);
  // Then the encoder in plain stereo, its buffer sized for the worst case.
  // False, with the temporary file removed and nothing else left open, when
  // the encoder or its buffer cannot be had.
  bool PrepareConversion(int kbps, int quality);
  // Undoes a prepared job that could not be started; an output file that
  // had the name is untouched.
  void AbandonPrepared();

  // The worker's part: the block loop and the end phase of the job. Clears
  // `running` when the loop is over, as the thread's owner expects.
  void Run(std::atomic<bool>& running, const std::atomic<bool>& stopRequested,
           JobDisplay& display);

  void SetModule(winampDSPModule* module) { dspModule = module; }
  // True when the worker has been inside one call of the plug-in for
  // longer than `milliseconds`.
  bool IsStuckInPlugin(DWORD milliseconds) const;
  // For a program that gives up on a plug-in that does not return: closes
  // and removes the unfinished output while the worker is stuck elsewhere.
  void DeleteUnfinishedOutput() { output.Discard(); }
  // After a job that ended KeptAside: where the file is, and why the chosen
  // name could not take it.
  const KString& KeptOutputPath() const { return output.KeptPath(); }
  DWORD OutputMoveError() const { return output.MoveError(); }
  bool IsPreview() const { return isPreview; }
  std::atomic<int>& Volume() { return volume; }
  std::atomic<int>& Converting() { return isConverting; }
  size_t GetBlockSize() const { return blockSize; }
  // From the start of a job until its worker has finished every step of it,
  // clean-up included (the running flag is cleared before the clean-up).
  bool IsActive() const { return active; }
  void MarkActive() { active = true; }

  // What Winamp's plug-ins may ask about the job: the input's position in
  // ms (-1 when no job runs), its length, rate, channels and bit rate.
  int PositionMs() const;
  int64_t LengthMs() const;
  long GetSampleRate() const { return sampleRate; }
  int GetChannels() const { return channels; }
  int GetBitRate() const { return bitRate; }

 private:
  bool OpenDecoder(const char* path);
  void StartFadeIn(size_t firstBlockBytes);
  int16_t* ProcessBlock(size_t done, size_t* bytes);
  void Play(int16_t* samples, size_t bytes, const std::atomic<bool>& stop);
  int16_t* RunModule(size_t done, size_t* bytes);
  int CallModule(winampDSPModule* module, int16_t* samples, size_t frames);
  JobEnding EncodeBlock(int16_t* samples, size_t bytes);
  void EndPreview(JobEnding ending, JobDisplay& display);
  void EndConversion(JobEnding ending, JobDisplay& display);
  JobEnding FinishOutput(JobEnding ending);
  JobEnding PlaceOutput(JobEnding ending);
  // Writes what the encoder reported: EncoderError on a negative count,
  // WriteError when the file does not take it all, else Finished.
  JobEnding WriteEncoded(int count);
  void ShowChangedProgress(JobDisplay& display, int& shownPercent);
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
  std::atomic<int> isConverting;
  bool isPreview;
  std::atomic<winampDSPModule*> dspModule;
  std::atomic<bool> active;
  // GetTickCount when the worker entered the plug-in call it is in, or 0.
  std::atomic<DWORD> callStartedAt;
  bool pluginFaulted;
  size_t fadeLength;    // sample values
  size_t fadePosition;  // sample values of output faded so far
};
