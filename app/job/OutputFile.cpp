#include "OutputFile.h"

#include "FilePath.h"

#include <cwchar>

namespace {

// Temporary files are named "~vellumtone-<process>-<number>.tmp".
const wchar_t kPrefix[] = L"~vellumtone-";
const wchar_t kPattern[] = L"\\~vellumtone-*.tmp";
constexpr int kAttempts = 100;

}  // namespace

OutputFile::OutputFile() : stream_(nullptr) {}

OutputFile::~OutputFile() { Discard(); }

bool OutputFile::Create(const KString& target) {
  Discard();
  target_ = target;
  KString folder = FilePath::FolderOf(target);
  RemoveStale(folder);
  return CreateUnique(folder);
}

// A file still being written by another running conversion is open without
// delete sharing, so only the leftovers of ended programs go.
void OutputFile::RemoveStale(const KString& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(folder + kPattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      DeleteFileW(folder + L"\\" + found.cFileName);
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// CREATE_NEW makes sure no other file is taken over; "w+b" keeps the stream
// readable, for the encoder's Info tag.
bool OutputFile::CreateUnique(const KString& folder) {
  static LONG counter = 0;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    wchar_t name[64];
    swprintf(name, 64, L"%ls%lx-%lx.tmp", kPrefix, GetCurrentProcessId(),
             static_cast<unsigned long>(InterlockedIncrement(&counter)));
    KString path = folder + L"\\" + name;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return false;
    }
    CloseHandle(file);
    stream_ = _wfopen(path, L"w+b");
    if (!stream_) {
      DeleteFileW(path);
      return false;
    }
    temporary_ = path;
    return true;
  }
  return false;
}

bool OutputFile::Commit() {
  if (!stream_) return false;
  bool written = !ferror(stream_);
  written = fflush(stream_) == 0 && written;
  written = fclose(stream_) == 0 && written;
  stream_ = nullptr;
  written = written && MoveFileExW(temporary_, target_,
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED |
                                       MOVEFILE_WRITE_THROUGH);
  if (!written) DeleteFileW(temporary_);
  temporary_ = KString();
  return written;
}

void OutputFile::Discard() {
  if (stream_) fclose(stream_);
  stream_ = nullptr;
  if (!temporary_.IsEmpty()) DeleteFileW(temporary_);
  temporary_ = KString();
}
