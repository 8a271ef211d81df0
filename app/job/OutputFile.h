#pragma once

#include <windows.h>

#include <cstdio>

#include "KString.h"

// A conversion's output. It is written to a temporary file beside the
// chosen name and moved onto that name only when the conversion is done,
// so a failed conversion never leaves a partial file there, nor harms a
// file that already had the name. Temporary files left by a program that
// was killed are removed when the next conversion into their folder starts.
// A finished file that cannot take the name (another program holds the
// target) is never lost: it is kept under a name of its own.
class OutputFile {
 public:
  OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // How a finished file ended up.
  enum class Placed { AtTarget, KeptAside, Lost };

  // ERROR_SUCCESS when `target` is not there or can be replaced; else why
  // not: open in another program without delete sharing, or read-only.
  static DWORD CheckReplaceable(const KString& target);
  // ERROR_SUCCESS when a new file can be made in `folder`; else why not.
  static DWORD CheckFolderWritable(const KString& folder);
  // The system's text for an error code, without its line break.
  static KString DescribeError(DWORD error);

  // Removes stale temporary files of this program from the target's folder
  // and creates a new one, open for reading and writing. False when the
  // folder cannot be written.
  bool Create(const KString& target);
  FILE* Stream() const { return stream_; }
  const KString& TemporaryPath() const { return temporary_; }
  // Flushes and closes the stream, every step checked; the file stays, for
  // others to complete (its tags) by its path. False when a write failed.
  bool Close();
  // Puts the closed file onto the target, replacing what was there, after
  // its data has reached the disk. When the target cannot be replaced the
  // file is kept beside it under a name of its own (KeptPath, MoveError).
  // Lost, with the file removed, when its data could not be flushed.
  Placed Commit();
  const KString& KeptPath() const { return kept_; }
  DWORD MoveError() const { return moveError_; }
  // Closes and removes the temporary file; the target is untouched.
  void Discard();

 private:
  static void RemoveStale(const KString& folder);
  bool CreateUnique(const KString& folder);
  static bool FlushToDisk(const KString& path);
  void KeepAside();

  KString target_;
  KString temporary_;
  KString kept_;
  DWORD moveError_;
  FILE* stream_;
};
