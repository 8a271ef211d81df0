#pragma once

#include <cstdint>

#include "KString.h"

// What became of one input of a batch.
enum class BatchOutcome {
  Pending,     // planned, not run yet
  Done,        // converted (or played) to its end
  Failed,      // tried; `reason` says what went wrong
  Skipped,     // left out before the start; `reason` says why
  NotReached   // the batch ended before it
};

// One input of a batch, with the name its output gets.
struct BatchItem {
  KString input;
  KString output;
  int64_t length = 0;  // in samples, the input's share of the progress
  BatchOutcome outcome = BatchOutcome::Pending;
  KString reason;
};
