#pragma once

#include "AudioBlock.h"

// The job's fade-in: value i of the first n sample values that go on becomes
// i / n of itself, where n is a quarter of the first decoded block's
// values, however the plug-in spreads its output over the blocks.
class FadeIn {
 public:
  FadeIn();

  // A job begins: the next decoded block sets the fade's length.
  void Restart();
  // The decoded block; only the first one of a job counts.
  void Measure(AudioBlock decoded);
  // Fades what goes on, as far as the fade reaches.
  void Apply(AudioBlock block);

 private:
  bool started;
  size_t length;    // sample values
  size_t position;  // sample values of output faded so far
};
