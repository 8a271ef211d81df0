#pragma once

#include <windows.h>

// A cursor handle that components put into their window class. The wrapper
// does not own the cursor: system cursors are shared and never destroyed.
class KMousePointer {
 public:
  explicit KMousePointer(HCURSOR cursor) : cursor_(cursor) {}
  virtual HCURSOR GetHandle() { return cursor_; }
  virtual ~KMousePointer() = default;

 private:
  HCURSOR cursor_;
};
