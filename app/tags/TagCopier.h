#pragma once

#include <windows.h>

#include "OutputFacts.h"
#include "TagBlocks.h"

// Carries the input's tags over into the finished output, as users expect
// of a converter: the ID3v2 tag at the start, frame by frame as the input
// stored it (Id3v2Rewriter), and the blocks after the audio (an appended
// ID3v2 tag, likewise; APEv2 with its ReplayGain values anew
// (ApeTagRewriter); Lyrics3, "TAG+" and ID3v1 as they are), in their order.
// The tags are read when the conversion begins, so an input that is gone by
// its end (moved, deleted) still gives them; the input is only read. A file without tags gets none; a tag that cannot be carried
// whole leaves the output without tags, and says so.
class TagCopier {
 public:
  // False when the input's tags could not be read; WriteTo says why.
  bool ReadFrom(const wchar_t* input);
  // Whether the tags read hold a loudness value of the track: only then
  // must the output's loudness be measured for WriteTo.
  bool NeedsLoudness() const;
  // Puts the tags around the audio of `output`, a closed file of the
  // program's own. ERROR_SUCCESS, or the reason why the file has none (the
  // system's, or ERROR_INVALID_DATA for a tag too damaged to carry whole);
  // it then holds its audio as it was. The tagged file is written beside it
  // and checked, every byte, before it takes the name. A loudness value
  // that `loudness` cannot make true (nothing was measured, or the output
  // is silent) gives ERROR_INVALID_DATA too.
  DWORD WriteTo(const wchar_t* output, const TagTiming& timing,
                const TrackLoudness& loudness) const;

 private:
  // What the output holds around its audio.
  struct Rendered {
    TagLib::ByteVector front;
    std::vector<TagBlocks::Block> end;
  };
  // ERROR_SUCCESS, or ERROR_INVALID_DATA when a tag cannot be carried.
  DWORD Render(int64_t audioBytes, OutputFacts facts, Rendered* tags) const;
  static DWORD RenderEnd(const TagBlocks::Block& block, const OutputFacts& facts, Rendered* tags);
  static DWORD WriteTagged(const wchar_t* path, BlockFile& audio, int64_t audioBytes,
                           const Rendered& tags);

  TagBlocks blocks;
  DWORD readError = ERROR_SUCCESS;
};
