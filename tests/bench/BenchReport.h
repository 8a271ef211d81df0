#pragma once

#include <string>
#include <vector>

#include "AppProbe.h"
#include "BlockBest.h"
#include "BlockPhaseClock.h"
#include "Samples.h"

// One encoder setting measured side by side: (a) the program's conversion,
// (b) LAME's own transcoder, (c) decoding alone, (d) encoding alone.
struct SettingResult {
  int kbps = 0;
  int quality = 0;
  Samples programWall, programCpu;
  Samples lameWall;  // less the process's start-up
  Samples decodeWall, decodeCpu;
  Samples encodeWall, encodeCpu;
  // Each block at its best: the program's job, (c) and (d).
  BlockBest programBlocks, decodeBlocks, encodeBlocks;

  // Adds one round's blocks: the job's, and those of (c) and (d).
  void AddPhases(const BlockPhaseClock& program, const BlockPhaseClock& decode,
                 const BlockPhaseClock& encode);
};

// The end of a conversion, timed on its own: one input, every round.
struct FinishResult {
  std::string input;
  Samples wall;
  Samples whole;  // the whole conversion
};

struct MemoryRun {
  int seconds = 0;
  MemoryResult result;
};

// The figures as Markdown: what was measured, the tables, and whether the
// targets were met.
class BenchReport {
 public:
  std::string inputDescription;
  std::string librariesDescription;
  int repeats = 0;
  double lameStartupWall = 0;
  std::vector<SettingResult> settings;
  bool haveResponsiveness = false;
  ResponsivenessResult responsiveness;
  std::vector<MemoryRun> memory;
  std::vector<FinishResult> finishes;
  // The loudness meter alone over the conversion-speed input.
  Samples loudnessWall;

  std::string Markdown() const;
  std::string FinishSection() const;

 private:
  std::string WallTable() const;
  std::string CpuTable() const;
  std::string PhaseTable() const;
  std::string Targets() const;
  std::string CpuAgreement() const;
  std::string Reading() const;
  std::string PhaseReading() const;
  std::string ResponsivenessSection() const;
  std::string MemorySection() const;
};
