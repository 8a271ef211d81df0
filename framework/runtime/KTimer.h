#pragma once

// An object of the framework's timer table: a window hands it the WM_TIMER
// with identifier 1001 + its index in the table.
class KTimer {
 public:
  virtual void FireTimer() = 0;
  virtual ~KTimer() = default;
};
