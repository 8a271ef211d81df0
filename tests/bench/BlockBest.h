#pragma once

#include <cstddef>
#include <vector>

#include "BlockPhaseClock.h"

// Each block's phases at their best over the rounds. The machine's host
// slows stretches of a run now and then, by up to half, whatever the run
// does; over a few rounds each part of the work has most likely run
// undisturbed at least once. Each phase of each block is taken from the
// round in which it was fastest, as (c) and (d), measured apart, take
// decoding and encoding each from its own best round; what came after the
// last block is taken the same way.
class BlockBest {
 public:
  // One round's blocks, from a clock that kept them.
  void Add(const BlockPhaseClock& clock);
  double Seconds() const;
  double Seconds(BlockPhase phase) const;

 private:
  struct Block {
    double phases[static_cast<int>(BlockPhase::Count)] = {};
  };
  void KeepFaster(const Block& block, Block* best) const;

  std::vector<Block> best_;
  Block after_;
  int rounds_ = 0;
};
