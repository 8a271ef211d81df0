#include "TestFiles.h"

#include <windows.h>

#include <cstdio>

namespace TestFiles {

std::wstring FullPath(const std::wstring& name) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetFullPathNameW(name.c_str(), static_cast<DWORD>(path.size()), &path[0],
                                    nullptr);
    if (length == 0) return name;
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length);  // the size it needs, its terminator included
  }
}

std::string ReadAll(const std::wstring& path) {
  std::string content;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return content;
  for (int c; (c = std::fgetc(file)) != EOF;) content.push_back(static_cast<char>(c));
  std::fclose(file);
  return content;
}

void WriteAll(const std::wstring& path, const std::string& content) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return;
  std::fwrite(content.data(), content.size(), 1, file);
  std::fclose(file);
}

int Count(const std::wstring& folder, const wchar_t* pattern) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do ++count;
  while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace TestFiles
