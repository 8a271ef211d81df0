#include "BlockFile.h"

using TagLib::ByteVector;

namespace {

// Large enough that a long file is copied in few calls, small enough to
// sit in memory twice while it is compared.
constexpr int64_t kChunkBytes = 1 << 20;

unsigned int ChunkOf(int64_t left) {
  return static_cast<unsigned int>(left < kChunkBytes ? left : kChunkBytes);
}

}  // namespace

bool BlockFile::OpenToRead(const wchar_t* path) {
  return Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
              OPEN_EXISTING);
}

bool BlockFile::OpenOwnToRead(const wchar_t* path) {
  return Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
}

bool BlockFile::Create(const wchar_t* path) {
  return Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
}

bool BlockFile::Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition) {
  Close();
  error = ERROR_SUCCESS;
  if (!path) return Fail(ERROR_INVALID_PARAMETER);
  handle = CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return IsOpen() || Fail(GetLastError());
}

void BlockFile::Close() {
  if (IsOpen()) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
}

bool BlockFile::Fail(DWORD reason) {
  if (error == ERROR_SUCCESS) error = reason == ERROR_SUCCESS ? ERROR_WRITE_FAULT : reason;
  return false;
}

int64_t BlockFile::Size() {
  LARGE_INTEGER size = {};
  if (error != ERROR_SUCCESS) return -1;
  if (!GetFileSizeEx(handle, &size)) {
    Fail(GetLastError());
    return -1;
  }
  return size.QuadPart;
}

bool BlockFile::Seek(int64_t offset) {
  LARGE_INTEGER to = {};
  to.QuadPart = offset;
  return error == ERROR_SUCCESS &&
         (SetFilePointerEx(handle, to, nullptr, FILE_BEGIN) || Fail(GetLastError()));
}

// A short read is the end of the file: the bytes are not all there.
bool BlockFile::ReadAt(int64_t offset, unsigned int size, ByteVector* into) {
  into->resize(size);
  DWORD done = 0;
  if (!Seek(offset)) return false;
  if (size > 0 && !ReadFile(handle, into->data(), size, &done, nullptr)) return Fail(GetLastError());
  return done == size || Fail(ERROR_HANDLE_EOF);
}

bool BlockFile::Append(const ByteVector& data) {
  DWORD done = 0;
  if (error != ERROR_SUCCESS) return false;
  if (data.isEmpty()) return true;
  if (!WriteFile(handle, data.data(), data.size(), &done, nullptr)) return Fail(GetLastError());
  return done == data.size() || Fail(ERROR_DISK_FULL);
}

// Appending keeps this file's position at its end; reading moves `from`'s.
bool BlockFile::AppendFrom(BlockFile& from, int64_t offset, int64_t size) {
  ByteVector chunk;
  for (int64_t done = 0; done < size; done += chunk.size()) {
    if (!from.ReadAt(offset + done, ChunkOf(size - done), &chunk)) return Fail(from.Error());
    if (!Append(chunk)) return false;
  }
  return true;
}

bool BlockFile::Holds(int64_t offset, const ByteVector& data) {
  ByteVector found;
  return ReadAt(offset, data.size(), &found) && (found == data || Fail(ERROR_WRITE_FAULT));
}

bool BlockFile::HasSize(int64_t size) {
  int64_t found = Size();
  return found == size || (found >= 0 && Fail(ERROR_WRITE_FAULT));
}

bool BlockFile::HoldsFrom(int64_t offset, BlockFile& other, int64_t otherOffset, int64_t size) {
  ByteVector expected;
  for (int64_t done = 0; done < size; done += expected.size()) {
    if (!other.ReadAt(otherOffset + done, ChunkOf(size - done), &expected)) {
      return Fail(other.Error());
    }
    if (!Holds(offset + done, expected)) return false;
  }
  return true;
}
