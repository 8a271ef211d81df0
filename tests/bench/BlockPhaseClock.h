#pragma once

#include <cstdint>
#include <vector>

// The parts of a job's block loop whose time is kept apart.
enum class BlockPhase {
  Decode,    // reading a block from the decoder
  Copy,      // copying each slice where the plug-in works on it
  Plugin,    // the guarded plug-in calls, one per slice
  Fade,      // the fade-in (and its check on every later block)
  Encode,    // the encoder's work on a block
  Write,     // handing the encoded bytes to the output file
  Progress,  // the position and the progress display
  Finish,    // the flush, the Info tag and closing the file
  Count
};

// One block's time, phase by phase, in time-stamp counts.
struct BlockTicks {
  uint64_t ticks[static_cast<int>(BlockPhase::Count)];
};

// Where a job's worker spends its time: each Lap gives the time since the
// previous one to a phase. The processor's time-stamp counter is read at
// each lap (a few nanoseconds; a 10-minute conversion has about 100 000
// laps), and the counts become seconds by the performance counter's time
// from Start to Stop, so the phases cost the job nothing that shows.
class JobPhaseClock {
 public:
  JobPhaseClock();

  // Forgets the last run's figures and starts counting.
  void Start();
  void Lap(BlockPhase phase);
  // The end of the run, for the conversion of counts into seconds.
  void Stop();
  // A block is done. Only a benchmark keeps each block's phases (`blocks`,
  // null by default): the program's memory does not grow with the input.
  void KeepBlocks(std::vector<BlockTicks>* blocks) { blocks_ = blocks; }
  std::vector<BlockTicks>* KeptBlocks() const { return blocks_; }
  void EndBlock();

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
