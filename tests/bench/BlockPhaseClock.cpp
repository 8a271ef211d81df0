#include "BlockPhaseClock.h"

#include <windows.h>

#include <intrin.h>

namespace {

int64_t Counter() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

}  // namespace

BlockPhaseClock::BlockPhaseClock()
    : ticks_(),
      blockEndTicks_(),
      blocks_(nullptr),
      startTicks_(0),
      lastTicks_(0),
      stopTicks_(0),
      startCounter_(0),
      stopCounter_(0) {}

void BlockPhaseClock::Start() {
  for (uint64_t& ticks : ticks_) ticks = 0;
  for (uint64_t& ticks : blockEndTicks_) ticks = 0;
  if (blocks_) blocks_->clear();
  startCounter_ = Counter();
  startTicks_ = __rdtsc();
  lastTicks_ = startTicks_;
  stopTicks_ = startTicks_;
  stopCounter_ = startCounter_;
}

void BlockPhaseClock::Lap(BlockPhase phase) {
  uint64_t now = __rdtsc();
  ticks_[static_cast<int>(phase)] += now - lastTicks_;
  lastTicks_ = now;
}

void BlockPhaseClock::EndBlock() {
  if (!blocks_) return;
  BlockTicks block;
  for (int p = 0; p < static_cast<int>(BlockPhase::Count); ++p) {
    block.ticks[p] = ticks_[p] - blockEndTicks_[p];
    blockEndTicks_[p] = ticks_[p];
  }
  blocks_->push_back(block);
}

void BlockPhaseClock::Stop() {
  stopTicks_ = __rdtsc();
  stopCounter_ = Counter();
}

double BlockPhaseClock::Seconds(BlockPhase phase) const {
  return Seconds(ticks_[static_cast<int>(phase)]);
}

double BlockPhaseClock::SecondsAfterBlocks(BlockPhase phase) const {
  int index = static_cast<int>(phase);
  return Seconds(ticks_[index] - blockEndTicks_[index]);
}

double BlockPhaseClock::Seconds(uint64_t ticks) const {
  return static_cast<double>(ticks) * SecondsPerTick();
}

double BlockPhaseClock::TotalSeconds() const {
  return static_cast<double>(lastTicks_ - startTicks_) * SecondsPerTick();
}

// The time-stamp counter's rate is the processor's, which no call reports:
// it is taken from the run itself, against the performance counter.
double BlockPhaseClock::SecondsPerTick() const {
  uint64_t ticks = stopTicks_ - startTicks_;
  LARGE_INTEGER frequency;
  if (ticks == 0 || !QueryPerformanceFrequency(&frequency)) return 0;
  double seconds = static_cast<double>(stopCounter_ - startCounter_) /
                   static_cast<double>(frequency.QuadPart);
  return seconds / static_cast<double>(ticks);
}

const char* BlockPhaseClock::Name(BlockPhase phase) {
  static const char* const kNames[] = {"decode",   "plug-in slices", "fade-in",
                                       "encode and write", "progress", "flush and close"};
  int index = static_cast<int>(phase);
  return index >= 0 && index < static_cast<int>(BlockPhase::Count) ? kNames[index] : "";
}
