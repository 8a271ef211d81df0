#pragma once

#include <windows.h>

#include <string>

#include "BenchWindow.h"
#include "DspPluginHost.h"
#include "JobDisplay.h"
#include "KThread.h"
#include "BlockPhaseClock.h"
#include "ProcessingJob.h"
#include "Stopwatch.h"

// The program's conversion, measured: its own processing job and plug-in
// host, run the way the main window runs them. The progress goes to a real
// progress bar owned by the calling thread, so every block's progress is a
// call into another thread, as in the program. Timed from the job's start
// until its file is in place; the window's fixed pause before the result
// message is not part of it.
class JobBench : public KThread, public JobDisplay {
 public:
  JobBench();
  ~JobBench() override;

  // Loads the plug-in the conversions go through.
  bool SetUp(const std::string& pluginPath);
  // One conversion; false unless it ran to the input's end. `phases`: where
  // the job's worker spent its time.
  bool Convert(const std::string& input, const std::string& output, int kbps, int quality,
               Timing* timing, BlockPhaseClock* phases);
  // The decoder libmpg123 chose for this CPU.
  const char* DecoderName();

  void Run() override;
  void ShowProgress(int percent) override;
  void StopMarquee() override {}
  void ShowPreviewEnd(JobEnding) override {}
  void ShowConversionEnd(JobEnding ending) override;

 private:
  bool Prepare(const std::string& input, const std::string& output, int kbps, int quality);
  // Serves the progress calls until the worker has ended.
  void PumpUntilFinished();

  ProcessingJob job_;
  DspPluginHost host_;
  BenchWindow window_;
  double startWall_ = 0;
  double endWall_ = 0;
  double startCpu_ = 0;
  double endCpu_ = 0;
  JobEnding ending_ = JobEnding::Aborted;
};
