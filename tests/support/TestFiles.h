#pragma once

#include <string>

// Whole files and folders, as the tests look at them.
namespace TestFiles {

// `name` made absolute against the working folder, however long the result
// (a deep clone's test folders pass MAX_PATH); `name` itself on failure.
std::wstring FullPath(const std::wstring& name);

std::string ReadAll(const std::wstring& path);
void WriteAll(const std::wstring& path, const std::string& content);
// How many files in `folder` match `pattern` ("*.tmp").
int Count(const std::wstring& folder, const wchar_t* pattern);
// Deletes `folder` and everything in it, read-only files too.
void RemoveTree(const std::wstring& folder);
// The program's temporary outputs in `folder`.
inline int TemporaryOutputs(const std::wstring& folder) {
  return Count(folder, L"~vellumtone-*.tmp");
}

}  // namespace TestFiles
