#pragma once

#include <string>

#include "Stopwatch.h"

// LAME's own transcoder (lame.exe --mp3input), built from the same source
// with the same flags as the library the program uses, run as its own
// process. Its output goes nowhere, so printing costs it next to nothing.
class ReferenceBench {
 public:
  explicit ReferenceBench(const std::string& lameExe) : lameExe_(lameExe) {}

  // Only the wall-clock time is filled in.
  bool Transcode(const std::string& input, const std::string& output, int kbps, int quality,
                 Timing* timing) const;
  // Starting the process and ending it without work (--version): the part
  // of a transcode's time that is not transcoding.
  bool Startup(Timing* timing) const;
  // What the program says of itself, first line.
  std::string Version() const;

 private:
  bool RunLame(const std::string& arguments, Timing* timing, HANDLE output) const;

  std::string lameExe_;
};
