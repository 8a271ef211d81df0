#pragma once

#include <windows.h>

// A path handed to Winamp plug-ins, in both forms they may ask for. The ANSI
// form names the same file: where the path has characters outside the ANSI
// code page, it is the short (8.3) name. Both stay where they are until the
// path is set again, since plug-ins keep the pointers.
class IpcPath {
 public:
  IpcPath();
  void Set(const wchar_t* path);
  const wchar_t* Wide() const { return wide_; }
  const char* Ansi() const { return ansi_; }

 private:
  static bool ToAnsi(const wchar_t* path, char* ansi);

  wchar_t wide_[MAX_PATH];
  char ansi_[MAX_PATH];
};
