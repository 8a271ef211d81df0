#include "BlockBest.h"

namespace {

constexpr int kPhases = static_cast<int>(BlockPhase::Count);

}  // namespace

void BlockBest::KeepFaster(const Block& block, Block* best, bool first) {
  if (first || block.total < best->total) *best = block;
}

void BlockBest::Add(const JobPhaseClock& clock) {
  const std::vector<BlockTicks>* blocks = clock.KeptBlocks();
  if (!blocks) return;
  for (size_t i = 0; i < blocks->size(); ++i) {
    Block block;
    for (int p = 0; p < kPhases; ++p) {
      block.phases[p] = clock.Seconds((*blocks)[i].ticks[p]);
      block.total += block.phases[p];
    }
    bool first = i >= best_.size();
    if (first) best_.emplace_back();
    KeepFaster(block, &best_[i], first);
  }
  Block after;
  for (int p = 0; p < kPhases; ++p) {
    after.phases[p] = clock.SecondsAfterBlocks(static_cast<BlockPhase>(p));
    after.total += after.phases[p];
  }
  KeepFaster(after, &after_, rounds_++ == 0);
}

double BlockBest::Seconds() const {
  double seconds = after_.total;
  for (const Block& block : best_) seconds += block.total;
  return seconds;
}

double BlockBest::Seconds(BlockPhase phase) const {
  int index = static_cast<int>(phase);
  double seconds = after_.phases[index];
  for (const Block& block : best_) seconds += block.phases[index];
  return seconds;
}
