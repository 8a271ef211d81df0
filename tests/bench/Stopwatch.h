#pragma once

#include <windows.h>

// Wall-clock and CPU seconds of one measured piece of work.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

// Measures the calling thread: wall-clock time from the performance
// counter, CPU time (user and kernel) from the thread's own times, which
// vary less than the wall clock on a busy machine.
class Stopwatch {
 public:
  Stopwatch() { Start(); }
  void Start();
  Timing Elapsed() const;

  // User plus kernel time of a thread.
  static double ThreadCpuSeconds(HANDLE thread);
  static double Now();

 private:
  double wallStart_ = 0;
  double cpuStart_ = 0;
};
