#pragma once

#include <ebur128.h>

#include "AudioBlock.h"
#include "TrackLoudness.h"

// Measures the output's loudness block by block with libebur128: the
// integrated loudness (EBU R128, as ReplayGain 2.0 asks) and each
// channel's sample peak. Owns the library's state.
class LoudnessMeter {
 public:
  LoudnessMeter() = default;
  LoudnessMeter(const LoudnessMeter&) = delete;
  LoudnessMeter& operator=(const LoudnessMeter&) = delete;
  ~LoudnessMeter() { Stop(); }

  // A new measurement of stereo at `sampleRate`; false when the library
  // cannot have its memory (Result then says nothing was measured).
  bool Start(long sampleRate);
  // Harmless when no measurement runs.
  void Add(AudioBlock block);
  // What was measured since Start; not measured when nothing runs or the
  // library failed on the way.
  TrackLoudness Result() const;
  void Stop();

 private:
  ebur128_state* state = nullptr;
  bool failed = false;
};
