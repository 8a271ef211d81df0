#pragma once

#include "KString.h"

class BatchRun;

// What the main window shows of a running batch. The worker calls these;
// each is a synchronous call into the window's thread.
class BatchDisplay {
 public:
  virtual ~BatchDisplay() = default;
  // The whole batch's progress, weighted by the inputs' lengths.
  virtual void ShowProgress(int percent) = 0;
  // Input `number` of `count` starts (`input`: its path).
  virtual void ShowCurrent(int number, int count, const KString& input) = 0;
  // Back to the idle controls, with the one message about the whole batch.
  virtual void ShowBatchEnd(const BatchRun& run) = 0;
};
