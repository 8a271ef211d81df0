#pragma once

#include <taglib/tbytevector.h>

#include "TrackLoudness.h"

// The ID3v2 frames that hold the input's loudness, made true for the
// output: the user texts "REPLAYGAIN_TRACK_GAIN" and "_PEAK" (TXXX, the
// description in any case), the relative volume of the track (RVA2 named
// "track", or not named) and iTunes' Sound Check (the comment "iTunNORM").
// Each keeps its encoding, description, language and status flags byte for
// byte; only the values are written anew, uncompressed. Album values
// (REPLAYGAIN_ALBUM_*, RVA2 "album") describe the other tracks too, which
// a conversion of one file cannot know: they go.
class LoudnessFrames {
 public:
  enum class Outcome {
    NotLoudness,  // any other frame, or one that cannot be read (encrypted)
    Remade,
    Dropped,      // an album value
    Unknowable    // a track value that cannot be made true for the output
  };
  // `frame`: header and data as TagLib reads a frame of `version` (3 or 4):
  // in 2.4 its size synchsafe and its unsynchronisation in its own flags.
  // `remade` is a plain frame of that version.
  static Outcome Remake(const TagLib::ByteVector& frame, unsigned int version,
                        const TrackLoudness& loudness, TagLib::ByteVector* remade);
  // Whether `frame` holds a value of the track that the output's loudness
  // must be measured for.
  static bool NeedsMeasuring(const TagLib::ByteVector& frame, unsigned int version);
};
