#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "KThread.h"
#include "ProcessingJob.h"
#include "TestEnvironment.h"

// Runs a ProcessingJob on a worker thread the way the main window does,
// and records what the job shows.
class JobRunner : public KThread, public JobDisplay {
 public:
  JobRunner();
  ~JobRunner() override;

  void Run() override;
  void ShowProgress(int percent) override;
  void StopMarquee() override;
  void ShowPreviewEnd(JobEnding ending) override;
  void ShowConversionEnd(JobEnding ending) override;

  // Opens `input` and prepares a conversion into `output`; false if any
  // step fails.
  bool PrepareConversion(const std::string& input, const std::string& output, int kbps = 320,
                         int quality = 5);
  // Starts the prepared job and waits until the worker has finished all of it.
  void RunToEnd();
  // Starts the prepared job as the window does; false if it cannot.
  bool Begin();
  void WaitUntilIdle();

  ProcessingJob job;
  // While set, the worker waits before it enters the job.
  std::atomic<bool> holdWorker{false};
  std::vector<int> progress;
  std::vector<DWORD> progressTimes;  // GetTickCount of each progress shown
  std::vector<JobEnding> endings;
  bool marqueeStopped = false;
};

using TestEnvironment::PluginPath;
