#pragma once

#include <cstdint>

#include <taglib/tbytevector.h>

#include "OutputFacts.h"

// An input's ID3v2 tag as the output carries it. Every frame is copied as
// the input stored it, header flags and all (compressed, encrypted and
// unknown frames too, and those that writers got wrong but readers know:
// iTunes' ID3v2.4 frames sized as in 2.3, ID3v2.2 names padded to four
// letters); only what the new audio makes wrong is written anew: TLEN, and
// CHAP, SYLT and ETCO when the length changed, iTunes' gapless facts
// (FrameRemaker), the loudness values (LoudnessFrames); SEEK gets the
// output's distance to the next tag, or goes when there is none; MLLT and
// ASPI, indexes of the input's audio bytes, are left out. The version
// stays, except that ID3v2.2 becomes 2.3 (TagLib writes no 2.2), which
// changes only its frame headers. A tag that was unsynchronised as a whole
// in 2.2 or 2.3 is written plain; in 2.4 the frames written anew take the
// form its header promises. The extended header (whose CRC the new frames
// would break) is left out; the padding stays as long as it was, and bytes
// after the last frame that are not padding stay as they were.
class Id3v2Rewriter {
 public:
  enum class Result {
    Written,
    Nothing,  // no frame remains
    Damaged   // the tag cannot be read far enough to be carried whole
  };
  // `tag`: header, frames, padding (and footer), as stored. The tag as
  // written goes to `written`; Damaged also when a loudness value in it
  // cannot be made true for the output.
  static Result Rewrite(const TagLib::ByteVector& tag, const OutputFacts& facts,
                        TagLib::ByteVector* written);
  // Whether a frame of `tag` holds a loudness value of the track, which
  // the output must then be measured for.
  static bool NeedsMeasuring(const TagLib::ByteVector& tag);
};
