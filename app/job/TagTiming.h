#pragma once

#include <cstdint>

// What a conversion did to the length: frames read from the input and
// frames the encoder was given, at the stream's rate.
struct TagTiming {
  int64_t inputFrames;
  int64_t outputFrames;
  long sampleRate;

  bool LengthChanged() const { return inputFrames > 0 && outputFrames != inputFrames; }
  // A time in the input (milliseconds or MPEG frames alike) where that
  // moment is in the output.
  unsigned int Scaled(unsigned int time) const {
    double ratio = static_cast<double>(outputFrames) / static_cast<double>(inputFrames);
    return static_cast<unsigned int>(static_cast<double>(time) * ratio + 0.5);
  }
  int64_t OutputMs() const { return sampleRate > 0 ? outputFrames * 1000 / sampleRate : 0; }
};
