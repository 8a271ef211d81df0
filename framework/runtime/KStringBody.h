#pragma once

#include <windows.h>

// The shared, immutable body behind KString values. Only the narrow text
// changes after creation (from null to the converted text, under the lock).
struct KStringBody {
  volatile LONG referenceCount;
  char* narrowText;
  CRITICAL_SECTION narrowLock;
  wchar_t* wideText;
  int length;
};
