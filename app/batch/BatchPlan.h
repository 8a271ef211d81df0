#pragma once

#include <vector>

#include "BatchItem.h"
#include "BusyPump.h"
#include "KString.h"

class ProcessingJob;

// A batch before it runs: its inputs in order, and for each the output name
// and whether it can go. Every name is decided here, before anything is
// encoded, so nothing needs asking once the run has begun:
// - an input the chain cannot take is skipped with its reason;
// - an output that would be one of the inputs is never written;
// - two inputs that would get one output name: the later gets " (2)", and
//   so on;
// - outputs that exist already are found, for one question to the user.
class BatchPlan {
 public:
  // The inputs, in the order they go; an earlier plan is forgotten.
  void SetInputs(const std::vector<KString>& inputs);
  const std::vector<KString>& Inputs() const { return inputs_; }
  // Several inputs: the batch's way. One is a single input, as it always was.
  bool IsBatch() const { return inputs_.size() > 1; }
  // For the input box: the count and the first names,
  // "12 files: 01 Speak.mp3, 02 Breathe.mp3, …".
  KString Describe() const;

  // Every input checked with `job`'s decoder (its format, and its length
  // for the progress). With an output folder, each output is named in it
  // after its input's file name, with ".mp3" ensured; without one (a
  // preview) only the inputs are checked.
  void Check(ProcessingJob& job, const KString& folder, BusyPump* pump);

  // Of the items still to go, those whose output exists already.
  std::vector<size_t> ExistingOutputs() const;
  // The answer "Skip those".
  void SkipExisting();
  // The answer "Replace": an existing output that cannot be replaced (held
  // open by another program, read-only) is skipped with the system's reason.
  void SkipUnreplaceable();

  std::vector<BatchItem>& Items() { return items_; }
  const std::vector<BatchItem>& Items() const { return items_; }
  size_t PendingCount() const;

 private:
  void CheckInput(ProcessingJob& job, BatchItem* item);
  void NameOutputs(const KString& folder);
  void SkipOutputsThatAreInputs();

  std::vector<KString> inputs_;
  std::vector<BatchItem> items_;
};
