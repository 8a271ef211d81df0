#include "FilePath.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>

namespace FilePath {

namespace {

const wchar_t* LastSeparator(const wchar_t* path) {
  const wchar_t* slash = wcsrchr(path, L'\\');
  const wchar_t* other = wcsrchr(path, L'/');
  return other > slash ? other : slash;
}

// The full form of `path`, however long; empty when it has none.
KString FullPath(const wchar_t* path) {
  DWORD size = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (size == 0) return KString();
  wchar_t* full = static_cast<wchar_t*>(malloc(size * sizeof(wchar_t)));
  DWORD length = full ? GetFullPathNameW(path, size, full, nullptr) : 0;
  KString result = length > 0 && length < size ? KString(full) : KString();
  free(full);
  return result;
}

}  // namespace

const wchar_t* NameOf(const wchar_t* path) {
  if (!path) return L"";
  const wchar_t* separator = LastSeparator(path);
  return separator ? separator + 1 : path;
}

KString FolderOf(const KString& path) {
  const wchar_t* text = path;
  const wchar_t* separator = text ? LastSeparator(text) : nullptr;
  if (!separator) return KString(L".");
  size_t length = static_cast<size_t>(separator - text);
  wchar_t* folder = static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)));
  if (!folder) return KString(L".");
  wmemcpy(folder, text, length);
  folder[length] = 0;
  KString result(folder);
  free(folder);
  return result;
}

bool SameFile(const wchar_t* first, const wchar_t* second) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE a = CreateFileW(first, 0, share, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE b = CreateFileW(second, 0, share, nullptr, OPEN_EXISTING, 0, nullptr);
  bool same = false;
  BY_HANDLE_FILE_INFORMATION infoA, infoB;
  if (a != INVALID_HANDLE_VALUE && b != INVALID_HANDLE_VALUE) {
    same = GetFileInformationByHandle(a, &infoA) && GetFileInformationByHandle(b, &infoB) &&
           infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh &&
           infoA.nFileIndexLow == infoB.nFileIndexLow;
  } else {
    KString fullA = FullPath(first), fullB = FullPath(second);
    same = !fullA.IsEmpty() && !fullB.IsEmpty() && _wcsicmp(fullA, fullB) == 0;
  }
  if (a != INVALID_HANDLE_VALUE) CloseHandle(a);
  if (b != INVALID_HANDLE_VALUE) CloseHandle(b);
  return same;
}

// Compared as wide characters: in a double-byte code page the narrow form's
// positions are not the path's characters.
KString WithMp3Extension(const KString& path) {
  int length = path.GetLength();
  if (length > 4 && path.CharAt(length - 4) == L'.' && path.CharAt(length - 3) == L'm' &&
      path.CharAt(length - 2) == L'p' && path.CharAt(length - 1) == L'3') {
    return path;
  }
  return path + L".mp3";
}

}  // namespace FilePath
