#pragma once

#include <windows.h>

// A path handed to Winamp plug-ins, in both forms they may ask for. The ANSI
// form names the same file: where the path has characters outside the ANSI
// code page, it is the short (8.3) name. Both stay where they are until the
// path is set again, since plug-ins keep the pointers; and they outlive the
// object, for as long as the process runs: a library that stays loaded
// (abandoned, or kept for its windows) may still read them, in its
// DLL_PROCESS_DETACH say, after the window that gave them is gone.
class IpcPath {
 public:
  IpcPath();
  IpcPath(const IpcPath&) = delete;
  IpcPath& operator=(const IpcPath&) = delete;
  void Set(const wchar_t* path);
  const wchar_t* Wide() const { return storage_->wide; }
  const char* Ansi() const { return storage_->ansi; }

 private:
  struct Storage {
    wchar_t wide[MAX_PATH];
    char ansi[MAX_PATH];
  };
  static bool ToAnsi(const wchar_t* path, char* ansi);
  static Storage* NewStorage();

  // Owned by the process, never freed.
  Storage* storage_;
};
