#pragma once

#include <cstdint>

// What a conversion did to the length: frames read from the input, frames
// the encoder was given, and of those the tail that an effect let ring on
// after the input's end (an echo's), at the stream's rate. The tail adds to
// the length but moves no moment of the input. And what the encoder put
// around them: its delay before the first frame given, its padding after
// the last (-1 when not known).
struct TagTiming {
  int64_t inputFrames;
  int64_t outputFrames;
  int64_t tailFrames;
  long sampleRate;
  int encoderDelay;
  int encoderPadding;

  // Where the input's moments are in the output.
  int64_t TimelineFrames() const { return outputFrames - tailFrames; }
  bool TimelineChanged() const { return inputFrames > 0 && TimelineFrames() != inputFrames; }
  // A time in the input (milliseconds or MPEG frames alike) where that
  // moment is in the output.
  unsigned int Scaled(unsigned int time) const {
    double ratio = static_cast<double>(TimelineFrames()) / static_cast<double>(inputFrames);
    return static_cast<unsigned int>(static_cast<double>(time) * ratio + 0.5);
  }
  int64_t OutputMs() const { return sampleRate > 0 ? outputFrames * 1000 / sampleRate : 0; }
  bool LengthChanged() const { return outputFrames != inputFrames; }
  bool KnowsEncoderFrame() const { return encoderDelay >= 0 && encoderPadding >= 0; }
};
