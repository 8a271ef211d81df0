#include "IpcPath.h"

#include <cwchar>

IpcPath::IpcPath() : wide_(), ansi_() {}

void IpcPath::Set(const wchar_t* path) {
  wcsncpy(wide_, path ? path : L"", MAX_PATH - 1);
  wide_[MAX_PATH - 1] = 0;
  if (ToAnsi(wide_, ansi_)) return;
  wchar_t shortPath[MAX_PATH] = {};
  DWORD length = GetShortPathNameW(wide_, shortPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !ToAnsi(shortPath, ansi_)) ansi_[0] = 0;
}

// False when the path has no exact ANSI form.
bool IpcPath::ToAnsi(const wchar_t* path, char* ansi) {
  BOOL lossy = FALSE;
  int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, ansi, MAX_PATH, nullptr,
                                 &lossy);
  return size > 0 && !lossy;
}
