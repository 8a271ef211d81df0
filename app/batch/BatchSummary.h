#pragma once

#include <windows.h>

#include "BatchItem.h"
#include "KString.h"

class BatchRun;

// The one message at the end of a batch: how many files were converted
// into which folder, then each file that failed, was skipped or was not
// reached, with its reason.
class BatchSummary {
 public:
  explicit BatchSummary(const BatchRun& run);

  KString Text() const;
  // "Conversion Success!" only when every file was converted.
  const wchar_t* Caption() const;
  UINT Icon() const;
  // A preview says something only when a file could not be played.
  bool HasNews() const;

 private:
  KString Headline() const;
  KString Section(BatchOutcome outcome, const wchar_t* heading) const;

  const BatchRun& run_;
  int done_ = 0;
  int total_ = 0;
};
