#pragma once

#include <windows.h>

#include "KString.h"

// Why a library did not load, in words for the user: not a 32-bit Windows
// DLL at all, or the system's own text for `error`, with the name of the
// DLL it needs and that is not there when that was the cause (126).
class LoadFailure {
 public:
  static KString Describe(const wchar_t* path, DWORD error);

 private:
  static bool Is32BitDll(const wchar_t* path);
  // The first DLL the library imports that neither its folder nor the
  // system's search finds; empty when all are found.
  static KString MissingDependency(const wchar_t* path);
  static KString SystemText(DWORD error);
};
