#pragma once

#include <windows.h>

#include <cstdint>

#include "JobDisplay.h"

// The conversion's progress bar, fed by the decoder's position. The bar
// shows whole percents, and a long input has many blocks to a percent: only
// a change is shown, so the window's thread is not kept busy redrawing the
// same bar. Each showing wakes the window's thread, which redraws, and costs
// the worker a round trip through the system (Wine's server). So a change
// waits until a tenth of a second has passed since the last one shown,
// which the eye does not tell from every percent; the first block's
// percent is always shown, and so is the last, where the loop ended, which
// stays on the bar through the end phase's pause.
class ProgressThrottle {
 public:
  ProgressThrottle();

  // A job begins; nothing is shown without a display (a preview's bar is a
  // marquee).
  void Start(JobDisplay* display, int64_t totalLength);
  // The decoder is at `position` (samples); `last`: the loop has ended.
  void Offer(int64_t position, bool last);

 private:
  int Percent(int64_t position) const;

  JobDisplay* display;
  int64_t totalLength;
  int shownPercent;  // -1 until the first is shown
  DWORD shownAt;     // GetTickCount of the last one shown
};
