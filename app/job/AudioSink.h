#pragma once

#include <cstdint>

#include "AudioBlock.h"
#include "JobDisplay.h"

// How much sound a job passed: the input's frames, and of what went out the
// tail that followed the input's end (an effect ringing on).
struct PassedFrames {
  int64_t input;
  int64_t tail;
};

// Where the job's sound ends up: the speakers of a preview or the file of a
// conversion. The worker hands it every block, then the end.
class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // One block as it goes out; anything but Finished ends the job.
  virtual JobEnding Take(AudioBlock block) = 0;
  // The loop is over, as `ending` says, after `passed`: the sink completes
  // or drops what it holds and closes it. Returns how the job ended once
  // that is done.
  virtual JobEnding Finish(JobEnding ending, PassedFrames passed) = 0;
};
