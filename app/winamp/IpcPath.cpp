#include "IpcPath.h"

#include <cwchar>
#include <new>

IpcPath::IpcPath() : storage_(NewStorage()) {}

// Without memory for it, the paths stay empty: a path that nobody reads
// again, shared by every such object.
IpcPath::Storage* IpcPath::NewStorage() {
  static Storage none = {};
  Storage* storage = new (std::nothrow) Storage();
  return storage ? storage : &none;
}

void IpcPath::Set(const wchar_t* path) {
  wchar_t* wide = storage_->wide;
  wcsncpy(wide, path ? path : L"", MAX_PATH - 1);
  wide[MAX_PATH - 1] = 0;
  if (ToAnsi(wide, storage_->ansi)) return;
  wchar_t shortPath[MAX_PATH] = {};
  DWORD length = GetShortPathNameW(wide, shortPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH || !ToAnsi(shortPath, storage_->ansi)) {
    storage_->ansi[0] = 0;
  }
}

// False when the path has no exact ANSI form.
bool IpcPath::ToAnsi(const wchar_t* path, char* ansi) {
  BOOL lossy = FALSE;
  int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path, -1, ansi, MAX_PATH, nullptr,
                                 &lossy);
  return size > 0 && !lossy;
}
