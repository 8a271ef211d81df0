#pragma once

#include <string>
#include <vector>

#include "BusyPump.h"
#include "KString.h"

// What the user dropped or chose, sorted out: the files to convert, with
// folders walked for their MP3 files (sub-folders included), and a plug-in
// library among them.
class InputGatherer {
 public:
  explicit InputGatherer(BusyPump* pump) : pump_(pump) {}

  // A file goes in as it is (one that is no MP3 is refused, with its
  // reason, when the batch is checked); a folder gives its ".mp3" files; a
  // ".dll" is the plug-in to use (the last one, if there are several).
  void Add(const KString& path);

  const std::vector<KString>& Files() const { return files_; }
  const KString& Plugin() const { return plugin_; }

 private:
  void Walk(const std::wstring& folder);
  void Found(const std::wstring& path);

  BusyPump* pump_;
  std::vector<KString> files_;
  KString plugin_;
  size_t seen_ = 0;
};
