#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "BlockPhaseClock.h"
#include "Stopwatch.h"

// The floor for the program's conversion: the same libraries doing only
// their own part, block by block in the program's block size. Decoding
// alone leaves the samples untouched; encoding alone takes PCM that was
// decoded beforehand and writes the MP3 file as the program does. Each
// notes its phases on the clock the program's job uses, for comparison.
class LibraryBench {
 public:
  // Decodes `input` once, untimed, for the encoding runs.
  bool Load(const std::string& input);
  bool Decode(const std::string& input, Timing* timing, BlockPhaseClock* phases) const;
  bool Encode(const std::string& output, int kbps, int quality, Timing* timing,
              BlockPhaseClock* phases) const;
  // The program's loudness meter over the decoded input, block by block,
  // as a conversion whose input has loudness values feeds it.
  bool MeasureLoudness(Timing* timing) const;

 private:
  std::vector<int16_t> pcm_;
  size_t blockSize_ = 0;
};
