#pragma once

#include <taglib/tbytevector.h>

#include "TrackLoudness.h"

// An APEv2 tag (as foobar2000 writes it) as the output carries it: every
// item byte for byte in its order, but for the ReplayGain values, which
// describe the input's audio. The track's gain and peak (text items
// "REPLAYGAIN_TRACK_GAIN" and "_PEAK", the key in any case) are written
// anew from the output's loudness; the album's go, since a conversion of
// one file cannot know the other tracks. The header and the footer stay,
// with the tag's new size and count of items.
class ApeTagRewriter {
 public:
  enum class Result {
    Written,
    Unknowable  // a track value that cannot be made true (or read at all)
  };
  // `tag`: header (if it has one), items and footer, as stored.
  static Result Rewrite(const TagLib::ByteVector& tag, const TrackLoudness& loudness,
                        TagLib::ByteVector* written);
  // Whether the tag holds a value of the track that the output's loudness
  // must be measured for.
  static bool NeedsMeasuring(const TagLib::ByteVector& tag);
};
