#pragma once

#include <cstdint>
#include <vector>

#include "BlockPhaseTimer.h"

// One block's time, phase by phase, in time-stamp counts.
struct BlockTicks {
  uint64_t ticks[static_cast<int>(BlockPhase::Count)];
};

// Where a job's worker spends its time: each Lap gives the time since the
// previous one to a phase. The processor's time-stamp counter is read at
// each lap (a few nanoseconds; a 10-minute conversion has about 100 000
// laps), and the counts become seconds by the performance counter's time
// from Start to Stop, so the phases cost the job nothing that shows.
class BlockPhaseClock : public BlockPhaseTimer {
 public:
  BlockPhaseClock();

  // Forgets the last run's figures and starts counting.
  void Start() override;
  void Lap(BlockPhase phase) override;
  // The end of the run, for the conversion of counts into seconds.
  void Stop() override;
  // A block is done. Each block's phases are kept only when asked
  // (`blocks`, null by default).
  void KeepBlocks(std::vector<BlockTicks>* blocks) { blocks_ = blocks; }
  std::vector<BlockTicks>* KeptBlocks() const { return blocks_; }
  void EndBlock() override;

  // Seconds spent in `phase` between Start and Stop.
  double Seconds(BlockPhase phase) const;
  // All phases together.
  double TotalSeconds() const;
  // What came after the last block, in `phase`.
  double SecondsAfterBlocks(BlockPhase phase) const;
  // Time-stamp counts of this run, such as a kept block's, in seconds.
  double Seconds(uint64_t ticks) const;
  static const char* Name(BlockPhase phase);

 private:
  double SecondsPerTick() const;

  uint64_t ticks_[static_cast<int>(BlockPhase::Count)];
  // The totals at the last block's end.
  uint64_t blockEndTicks_[static_cast<int>(BlockPhase::Count)];
  std::vector<BlockTicks>* blocks_;
  uint64_t startTicks_;
  uint64_t lastTicks_;
  uint64_t stopTicks_;
  int64_t startCounter_;
  int64_t stopCounter_;
};
