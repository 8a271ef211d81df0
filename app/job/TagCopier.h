#pragma once

#include <cstdint>

// What a conversion did to the length: frames read from the input and
// frames the encoder was given, at the stream's rate.
struct TagTiming {
  int64_t inputFrames;
  int64_t outputFrames;
  long sampleRate;
};

// Carries the input's tags over into the finished output, as users expect
// of a converter: every ID3v2 frame (pictures, ratings, lyrics, user and
// binary frames too) in the input's ID3v2 version, an APEv2 tag and an
// ID3v1 tag. Frames that point at times in the audio are moved to where
// that moment is in the output; TLEN gets the output's own length. The
// input is only read. A file without tags gets none.
class TagCopier {
 public:
  // False when the output's tags could not be written, or the file does not
  // read back whole afterwards.
  static bool Copy(const wchar_t* input, const wchar_t* output, const TagTiming& timing);
};
