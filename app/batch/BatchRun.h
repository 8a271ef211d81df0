#pragma once

#include "BatchDisplay.h"
#include "BatchPlan.h"
#include "JobDisplay.h"
#include "JobState.h"

class ProcessingJob;

// A planned batch, run by the worker: its inputs one after another through
// the one job, and so through the one plug-in instance, each drained at its
// end and given its own tags as a single conversion is. A file that fails
// is recorded (its unfinished output removed) and the next goes on; Stop, a
// plug-in fault and a full disk end the whole batch, with the finished
// files kept.
class BatchRun : private JobDisplay {
 public:
  BatchRun(ProcessingJob& job, const BatchPlan& plan) : job_(job), plan_(plan) {}

  // Set on the window's thread before the worker starts: the run takes its
  // own copy of the plan, which the window may change meanwhile.
  void Prepare(JobKind kind, const KString& folder, int kbps, int quality);
  // The worker's part, from the first input to the end message.
  void Run(BatchDisplay& display);

  JobKind Kind() const { return kind_; }
  const KString& Folder() const { return folder_; }
  const std::vector<BatchItem>& Items() const { return items_; }
  // Why the batch ended before its last input: Finished when it did not.
  JobEnding StoppedBy() const { return stoppedBy_; }

 private:
  // One input prepared and run; false when it ends the batch.
  bool RunItem(BatchItem& item);
  bool PrepareItem(BatchItem& item);
  bool Record(BatchItem& item, JobEnding ending);
  void MarkNotReached();

  // The job's end of each file, seen by the batch: only the progress goes
  // on to the window, scaled to the whole batch.
  void ShowProgress(int percent) override;
  void StopMarquee() override {}
  void ShowPreviewEnd(JobEnding) override {}
  void ShowConversionEnd(JobEnding) override {}

  ProcessingJob& job_;
  const BatchPlan& plan_;
  std::vector<BatchItem> items_;
  BatchDisplay* display_ = nullptr;
  JobKind kind_ = JobKind::Conversion;
  KString folder_;
  int kbps_ = 0;
  int quality_ = 0;
  JobEnding stoppedBy_ = JobEnding::Finished;
  int64_t totalLength_ = 0;
  int64_t doneLength_ = 0;
  int64_t currentLength_ = 0;
  int lastPercent_ = -1;
};
