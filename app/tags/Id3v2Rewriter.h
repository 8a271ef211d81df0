#pragma once

#include <cstdint>

#include <taglib/tbytevector.h>

#include "TagTiming.h"

// An input's ID3v2 tag as the output carries it. Every frame is copied as
// the input stored it, header flags and all (compressed, encrypted and
// unknown frames too); only what the new audio makes wrong is written anew:
// TLEN, and CHAP, SYLT and ETCO when the length changed (FrameRemaker);
// SEEK gets the output's distance to the next tag; MLLT and ASPI, indexes
// of the input's audio bytes, are left out. The version stays, except that
// ID3v2.2 becomes 2.3 (TagLib writes no 2.2), which changes only its frame
// headers. A tag that was unsynchronised as a whole in 2.2 or 2.3 is
// written plain; the extended header (whose CRC the new frames would break)
// is left out; the padding stays as long as it was.
class Id3v2Rewriter {
 public:
  // `tag`: header, frames, padding (and footer), as stored. `toNextTag`:
  // bytes from the end of this tag to the next ID3v2 tag of the output, -1
  // when there is none. Empty when no frame remains.
  static TagLib::ByteVector Rewrite(const TagLib::ByteVector& tag, const TagTiming& timing,
                                    int64_t toNextTag);
};
