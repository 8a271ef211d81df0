#include "BlockBest.h"

namespace {

constexpr int kPhases = static_cast<int>(BlockPhase::Count);

}  // namespace

// A block that the earlier rounds did not have is taken as it is.
void BlockBest::KeepFaster(const Block& block, Block* best) const {
  for (int p = 0; p < kPhases; ++p) {
    if (rounds_ == 0 || block.phases[p] < best->phases[p]) best->phases[p] = block.phases[p];
  }
}

void BlockBest::Add(const BlockPhaseClock& clock) {
  const std::vector<BlockTicks>* blocks = clock.KeptBlocks();
  if (!blocks) return;
  for (size_t i = 0; i < blocks->size(); ++i) {
    Block block;
    for (int p = 0; p < kPhases; ++p) block.phases[p] = clock.Seconds((*blocks)[i].ticks[p]);
    if (i >= best_.size()) {
      best_.push_back(block);
    } else {
      KeepFaster(block, &best_[i]);
    }
  }
  Block after;
  for (int p = 0; p < kPhases; ++p) {
    after.phases[p] = clock.SecondsAfterBlocks(static_cast<BlockPhase>(p));
  }
  KeepFaster(after, &after_);
  ++rounds_;
}

double BlockBest::Seconds() const {
  double seconds = 0;
  for (int p = 0; p < kPhases; ++p) seconds += Seconds(static_cast<BlockPhase>(p));
  return seconds;
}

double BlockBest::Seconds(BlockPhase phase) const {
  int index = static_cast<int>(phase);
  double seconds = after_.phases[index];
  for (const Block& block : best_) seconds += block.phases[index];
  return seconds;
}
