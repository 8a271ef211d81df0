#include "FilePath.h"

#include <cstdlib>
#include <cwchar>

namespace FilePath {

namespace {

const wchar_t* LastSeparator(const wchar_t* path) {
  const wchar_t* slash = wcsrchr(path, L'\\');
  const wchar_t* other = wcsrchr(path, L'/');
  return other > slash ? other : slash;
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

}  // namespace FilePath
