#include "InputGatherer.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "NaturalOrder.h"

namespace {

bool HasExtension(const std::wstring& path, const wchar_t* extension) {
  size_t length = wcslen(extension);
  return path.size() > length && _wcsicmp(path.c_str() + path.size() - length, extension) == 0;
}

// How often the window gets to paint while a folder is walked.
constexpr size_t kPumpEvery = 64;

}  // namespace

void InputGatherer::Add(const KString& path) {
  std::wstring text = static_cast<const wchar_t*>(path);
  DWORD attributes = GetFileAttributesW(text.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Walk(text);
  } else if (HasExtension(text, L".dll")) {
    plugin_ = path;
  } else {
    files_.push_back(path);
  }
}

// In natural order within each folder, so an unsorted walk still reads as
// the folder does. Links to folders are not followed: they may loop.
void InputGatherer::Walk(const std::wstring& folder) {
  std::wstring base = folder;
  if (!base.empty() && base.back() != L'\\' && base.back() != L'/') base += L'\\';
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((base + L"*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> folders;
  std::vector<std::wstring> mp3s;
  do {
    if (++seen_ % kPumpEvery == 0 && pump_) pump_->KeepResponsive(files_.size() + mp3s.size());
    std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) folders.push_back(name);
    } else if (HasExtension(name, L".mp3")) {
      mp3s.push_back(name);
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  auto natural = [](const std::wstring& a, const std::wstring& b) {
    return NaturalOrder::Less(a.c_str(), b.c_str());
  };
  std::sort(mp3s.begin(), mp3s.end(), natural);
  std::sort(folders.begin(), folders.end(), natural);
  for (const std::wstring& name : mp3s) Found(base + name);
  for (const std::wstring& name : folders) Walk(base + name);
}

void InputGatherer::Found(const std::wstring& path) { files_.push_back(KString(path.c_str())); }
