#pragma once

#include <cstddef>

// Called now and then by long work on the window's thread (walking a large
// folder, checking many files), so the window keeps painting meanwhile.
class BusyPump {
 public:
  virtual ~BusyPump() = default;
  // `done`: how many things the work has gone through so far.
  virtual void KeepResponsive(size_t done) = 0;
};
