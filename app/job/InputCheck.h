#pragma once

#include "KString.h"

class ProcessingJob;

// Whether a file can be a job's input: an MP3 of 16-bit stereo samples at
// 44100 Hz, the only format the chain takes.
namespace InputCheck {

enum class Problem { None, CannotOpen, NotMp3, Not16Bit, NotStereo, Not44100 };

// Opens `path` as `job`'s input and checks its format; with None the input
// stays open (its length measured when asked), else it is closed again.
Problem Open(ProcessingJob& job, const KString& path, bool measureLength);

}  // namespace InputCheck
