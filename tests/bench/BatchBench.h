#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "BatchDisplay.h"
#include "BatchPlan.h"
#include "BatchRun.h"
#include "BenchWindow.h"
#include "DspPluginHost.h"
#include "KThread.h"
#include "ProcessingJob.h"

// The program's batch, measured: its own plan, run, job and plug-in host,
// driven as the main window drives them, with the progress going to a real
// progress bar of the calling thread. Timed from the check of the inputs
// until the summary, so it holds all the work a batch adds.
class BatchBench : public KThread, public BatchDisplay {
 public:
  BatchBench();
  ~BatchBench() override;

  bool SetUp(const std::string& pluginPath);
  // Converts `inputs` into `folder` (emptied first) as one batch; false
  // unless every file was converted.
  bool Convert(const std::vector<std::string>& inputs, const std::string& folder, int kbps,
               int quality, double* seconds);
  // Private bytes of this process when the 11th file starts and after the
  // last, of the last Convert.
  double BytesAfterTen() const { return bytesAfterTen_; }
  double BytesAtEnd() const { return bytesAtEnd_; }

  void Run() override;
  void ShowProgress(int percent) override;
  void ShowCurrent(int number, int count, const KString& input) override;
  void ShowBatchEnd(const BatchRun& run) override;

 private:
  ProcessingJob job_;
  DspPluginHost host_;
  BatchPlan plan_;
  BatchRun run_;
  BenchWindow window_;
  bool allDone_ = false;
  double endWall_ = 0;
  double bytesAfterTen_ = 0;
  double bytesAtEnd_ = 0;
};
