#include "TestFiles.h"

#include <windows.h>

#include <cstdio>

namespace TestFiles {

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

}  // namespace TestFiles
