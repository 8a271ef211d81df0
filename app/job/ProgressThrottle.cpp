#include "ProgressThrottle.h"

namespace {

// The least time between two progress displays.
constexpr DWORD kIntervalMs = 100;

}  // namespace

ProgressThrottle::ProgressThrottle()
    : display(nullptr), totalLength(0), shownPercent(-1), shownAt(0) {}

void ProgressThrottle::Start(JobDisplay* jobDisplay, int64_t length) {
  display = jobDisplay;
  totalLength = length;
  shownPercent = -1;
}

void ProgressThrottle::Offer(int64_t position, bool last) {
  // Where the loop ended is shown only after a block was.
  if (!display || (last && shownPercent < 0)) return;
  DWORD now = GetTickCount();
  bool due = shownPercent < 0 || last || now - shownAt >= kIntervalMs;
  if (!due) return;
  int percent = Percent(position);
  // The plug-in may still hold sound when the input's last block is read:
  // 100 only once the loop is over.
  if (!last && percent > 99) percent = 99;
  if (percent == shownPercent) return;
  display->ShowProgress(percent);
  shownPercent = percent;
  shownAt = now;
}

int ProgressThrottle::Percent(int64_t position) const {
  if (totalLength <= 0 || position <= 0) return 0;
  double percent = static_cast<double>(position) / static_cast<double>(totalLength) * 100.0;
  return percent >= 100.0 ? 100 : static_cast<int>(percent);
}
