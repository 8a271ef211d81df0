#pragma once

#include <windows.h>

#include <cstdint>

#include <taglib/tbytevector.h>

// A file read and written in whole blocks through the system's own calls,
// each of them checked: the first failure is kept (Error) and every later
// call fails too, so a caller checks once, at the end. Owns its handle.
class BlockFile {
 public:
  BlockFile() = default;
  BlockFile(const BlockFile&) = delete;
  BlockFile& operator=(const BlockFile&) = delete;
  ~BlockFile() { Close(); }

  // Reading; others may read, write and delete the file meanwhile, as a
  // music player or a file manager does with the user's input.
  bool OpenToRead(const wchar_t* path);
  // Reading only, and nobody else may delete or change the file meanwhile:
  // for the program's own temporary files.
  bool OpenOwnToRead(const wchar_t* path);
  // A new file (one of that name is replaced), for writing and reading back.
  bool Create(const wchar_t* path);
  void Close();

  int64_t Size();
  // `size` bytes from `offset`, all of them or false.
  bool ReadAt(int64_t offset, unsigned int size, TagLib::ByteVector* into);
  bool Append(const TagLib::ByteVector& data);
  // The next `size` bytes of `from`, from `offset` on, appended.
  bool AppendFrom(BlockFile& from, int64_t offset, int64_t size);
  // The file holds exactly `data` at `offset`.
  bool Holds(int64_t offset, const TagLib::ByteVector& data);
  // The file is `size` bytes long.
  bool HasSize(int64_t size);
  // The file holds what `other` holds from `otherOffset`, `size` bytes long.
  bool HoldsFrom(int64_t offset, BlockFile& other, int64_t otherOffset, int64_t size);

  bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
  // ERROR_SUCCESS, or the system's reason for the first call that failed;
  // a file found to hold other bytes than expected gives ERROR_WRITE_FAULT.
  DWORD Error() const { return error; }

 private:
  bool Open(const wchar_t* path, DWORD access, DWORD share, DWORD disposition);
  bool Fail(DWORD reason);
  bool Seek(int64_t offset);

  HANDLE handle = INVALID_HANDLE_VALUE;
  DWORD error = ERROR_SUCCESS;
};
