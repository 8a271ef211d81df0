#pragma once

#include <windows.h>

#include <cstdio>

#include "KString.h"

// A conversion's output. It is written to a temporary file beside the
// chosen name and moved onto that name only when the conversion is done,
// so a failed conversion never leaves a partial file there, nor harms a
// file that already had the name. Temporary files left by a program that
// was killed are removed when the next conversion into their folder starts.
class OutputFile {
 public:
  OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  // Removes stale temporary files of this program from the target's folder
  // and creates a new one, open for reading and writing. False when the
  // folder cannot be written.
  bool Create(const KString& target);
  FILE* Stream() const { return stream_; }
  // Completes the file (flushed and closed, every step checked) and moves
  // it onto the target, replacing what was there. False, with the temporary
  // file removed and the target untouched, when any step fails.
  bool Commit();
  // Closes and removes the temporary file; the target is untouched.
  void Discard();

 private:
  static void RemoveStale(const KString& folder);
  bool CreateUnique(const KString& folder);

  KString target_;
  KString temporary_;
  FILE* stream_;
};
