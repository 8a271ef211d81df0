#include "OutputFile.h"

#include "FilePath.h"

#include <cstdlib>
#include <cwchar>

namespace {

// Temporary files are named "~vellumtone-<process>-<number>.tmp".
const wchar_t kPrefix[] = L"~vellumtone-";
const wchar_t kPattern[] = L"\\~vellumtone-*.tmp";
constexpr int kAttempts = 100;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// "song.mp3" gives "song (converted).mp3", then "song (converted 2).mp3"...
KString KeptName(const KString& target, int attempt) {
  const wchar_t* path = target;
  const wchar_t* dot = wcsrchr(path, L'.');
  if (!dot || dot < FilePath::NameOf(path)) dot = path + wcslen(path);
  wchar_t number[16] = L"";
  if (attempt > 1) swprintf(number, 16, L" %d", attempt);
  wchar_t* stem = static_cast<wchar_t*>(malloc((dot - path + 1) * sizeof(wchar_t)));
  if (!stem) return KString();
  wcsncpy(stem, path, dot - path);
  stem[dot - path] = 0;
  KString name = KString(stem) + L" (converted" + number + L")" + dot;
  free(stem);
  return name;
}

}  // namespace

OutputFile::OutputFile() : moveError_(ERROR_SUCCESS), stream_(nullptr) {}

OutputFile::~OutputFile() { Discard(); }

// Under Wine and on Windows alike, a file that a player holds open without
// delete sharing refuses an open for DELETE; a read-only file would refuse
// the move at the very end, so it is named here.
DWORD OutputFile::CheckReplaceable(const KString& target) {
  DWORD attributes = GetFileAttributesW(target);
  if (attributes == INVALID_FILE_ATTRIBUTES) return ERROR_SUCCESS;
  if (attributes & FILE_ATTRIBUTE_READONLY) return ERROR_FILE_READ_ONLY;
  HANDLE file = CreateFileW(target, DELETE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  CloseHandle(file);
  return ERROR_SUCCESS;
}

// A file of its own is made and removed again: only that answers for
// shares, permissions and read-only media alike.
DWORD OutputFile::CheckFolderWritable(const KString& folder) {
  DWORD attributes = GetFileAttributesW(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_DIRECTORY;
  wchar_t name[64];
  swprintf(name, 64, L"~vellumtone-check-%lu-%lu.tmp", GetCurrentProcessId(), GetTickCount());
  bool separated = folder.LastCharIs(L'\\') || folder.LastCharIs(L'/');
  KString probe = KString(folder) + (separated ? L"" : L"\\") + name;
  HANDLE file = CreateFileW(probe, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  CloseHandle(file);
  return ERROR_SUCCESS;
}

KString OutputFile::DescribeError(DWORD error) {
  wchar_t text[512] = L"";
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 0, text, 512, nullptr);
  while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r')) text[--length] = 0;
  if (length > 0) return KString(text);
  // Windows' own text, which Wine's message table lacks.
  if (error == ERROR_FILE_READ_ONLY) return KString(L"The specified file is read only.");
  swprintf(text, 512, L"System error %lu.", static_cast<unsigned long>(error));
  return KString(text);
}

bool OutputFile::Create(const KString& target) {
  Discard();
  target_ = target;
  kept_ = KString();
  moveError_ = ERROR_SUCCESS;
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

bool OutputFile::Close() {
  if (!stream_) return false;
  bool written = !ferror(stream_);
  written = fflush(stream_) == 0 && written;
  written = fclose(stream_) == 0 && written;
  stream_ = nullptr;
  return written;
}

// The data on the disk before the name points at it: after a power cut the
// user finds the old file or the new one, never an empty one.
bool OutputFile::FlushToDisk(const KString& path) {
  HANDLE file = CreateFileW(path, GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool flushed = FlushFileBuffers(file) != 0;
  CloseHandle(file);
  return flushed;
}

OutputFile::Placed OutputFile::Commit() {
  if (temporary_.IsEmpty() || stream_ || !FlushToDisk(temporary_)) {
    Discard();
    return Placed::Lost;
  }
  if (MoveFileExW(temporary_, target_,
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH)) {
    temporary_ = KString();
    return Placed::AtTarget;
  }
  moveError_ = GetLastError();
  KeepAside();
  return Placed::KeptAside;
}

// A name the clean-up of stale temporary files never matches. Should even
// that rename fail, the file stays where it is: finished work is not deleted.
void OutputFile::KeepAside() {
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    KString name = KeptName(target_, attempt);
    if (name.IsEmpty()) break;
    if (MoveFileExW(temporary_, name, MOVEFILE_WRITE_THROUGH)) {
      kept_ = name;
      temporary_ = KString();
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  kept_ = temporary_;
  temporary_ = KString();
}

void OutputFile::Discard() {
  if (stream_) fclose(stream_);
  stream_ = nullptr;
  if (!temporary_.IsEmpty()) DeleteFileW(temporary_);
  temporary_ = KString();
}
