#include "BatchRun.h"

#include "FilePath.h"
#include "InputCheck.h"
#include "OutputFile.h"
#include "ProcessingJob.h"

void BatchRun::Prepare(JobKind kind, const KString& folder, int kbps, int quality) {
  kind_ = kind;
  folder_ = folder;
  kbps_ = kbps;
  quality_ = quality;
  stoppedBy_ = JobEnding::Finished;
  totalLength_ = 0;
  items_ = plan_.Items();
  for (const BatchItem& item : items_) {
    if (item.outcome == BatchOutcome::Pending) totalLength_ += item.length;
  }
}

void BatchRun::Run(BatchDisplay& display) {
  display_ = &display;
  doneLength_ = 0;
  lastPercent_ = -1;
  int count = 0;
  for (const BatchItem& item : items_) count += item.outcome == BatchOutcome::Pending;
  int number = 0;
  for (BatchItem& item : items_) {
    if (item.outcome != BatchOutcome::Pending) continue;
    // Stop pressed between two files ends the batch before the next.
    if (job_.State().IsStopping() && stoppedBy_ == JobEnding::Finished) {
      stoppedBy_ = JobEnding::Aborted;
    }
    if (stoppedBy_ != JobEnding::Finished) break;
    display.ShowCurrent(++number, count, item.input);
    currentLength_ = item.length;
    if (!RunItem(item)) break;
    doneLength_ += item.length;
  }
  MarkNotReached();
  job_.FinishSequence();
  display.ShowBatchEnd(*this);
  job_.EndSequence();
}

// False when the batch ends with this file.
bool BatchRun::RunItem(BatchItem& item) {
  if (!PrepareItem(item)) return stoppedBy_ == JobEnding::Finished;
  return Record(item, job_.RunNext(*this));
}

// The input may have changed since the batch was checked; the output's
// folder may have become unwritable. False, with the reason recorded.
bool BatchRun::PrepareItem(BatchItem& item) {
  item.outcome = BatchOutcome::Failed;
  if (InputCheck::Open(job_, item.input, true) != InputCheck::Problem::None) {
    item.reason = L"it cannot be opened any more";
    return false;
  }
  const wchar_t* failure = nullptr;
  if (kind_ == JobKind::Preview) {
    if (!job_.PreparePreview()) {
      failure = L"the audio device could not be opened";
      stoppedBy_ = JobEnding::EncoderError;
    }
  } else if (!job_.CreateOutput(item.output)) {
    failure = L"its output file could not be created";
  } else if (!job_.PrepareConversion(kbps_, quality_)) {
    failure = L"the MP3 encoder could not be started";
  }
  if (failure) {
    job_.CloseInput();
    item.reason = failure;
    return false;
  }
  item.outcome = BatchOutcome::Pending;
  return true;
}

// False for the endings that would end every file after this one too.
bool BatchRun::Record(BatchItem& item, JobEnding ending) {
  item.outcome = ending == JobEnding::Finished ? BatchOutcome::Done : BatchOutcome::Failed;
  switch (ending) {
    case JobEnding::Finished:
      return true;
    case JobEnding::Aborted:
      item.reason = kind_ == JobKind::Preview
                        ? L"stopped"
                        : L"stopped during this file; its unfinished output was removed";
      stoppedBy_ = ending;
      return false;
    case JobEnding::PluginFault:
      item.reason = L"the DSP plug-in crashed during this file";
      stoppedBy_ = ending;
      return false;
    case JobEnding::WriteError:
      item.reason = L"the output file could not be written";
      if (!job_.OutputDiskFull()) return true;
      item.reason = L"the disk is full";
      stoppedBy_ = ending;
      return false;
    case JobEnding::DecoderError:
      item.reason = L"it could not be decoded to its end";
      return true;
    case JobEnding::EncoderError:
      item.reason = L"the MP3 encoder stopped with an error";
      return true;
    case JobEnding::NoAudio:
      item.reason = L"the DSP plug-in returned no audio";
      return true;
    case JobEnding::KeptAside:
      item.reason = KString(L"converted, but its output could not be replaced (") +
                    OutputFile::DescribeError(job_.OutputMoveError()) + L"); it was kept as " +
                    FilePath::NameOf(job_.KeptOutputPath());
      return true;
    case JobEnding::TagsNotCopied:
      item.reason = KString(L"converted, but without its tags: ") +
                    OutputFile::DescribeError(job_.TagError());
      return true;
  }
  return true;
}

void BatchRun::MarkNotReached() {
  for (BatchItem& item : items_) {
    if (item.outcome == BatchOutcome::Pending) item.outcome = BatchOutcome::NotReached;
  }
}

void BatchRun::ShowProgress(int percent) {
  if (totalLength_ <= 0) return;
  int64_t done = doneLength_ + currentLength_ * percent / 100;
  int overall = static_cast<int>(done * 100 / totalLength_);
  if (overall > 100) overall = 100;
  if (overall == lastPercent_) return;
  lastPercent_ = overall;
  display_->ShowProgress(overall);
}
