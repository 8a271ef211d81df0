#pragma once

#include <cstddef>
#include <vector>

#include "JobPhaseClock.h"

// Each block's best round. The machine's host slows stretches of a run now
// and then, by up to half, whatever the run does; over a few rounds each
// block has most likely run undisturbed at least once. A block's time is
// that of its fastest round, all its phases from that round, so the phases
// add up to it; what came after the last block is taken the same way.
class BlockBest {
 public:
  // One round's blocks, from a clock that kept them.
  void Add(const JobPhaseClock& clock);
  double Seconds() const;
  double Seconds(BlockPhase phase) const;
  size_t Blocks() const { return best_.size(); }

 private:
  struct Block {
    double total = 0;
    double phases[static_cast<int>(BlockPhase::Count)] = {};
  };
  static void KeepFaster(const Block& block, Block* best, bool first);

  std::vector<Block> best_;
  Block after_;
  int rounds_ = 0;
};
