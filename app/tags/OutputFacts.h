#pragma once

#include <cstdint>

#include "TagTiming.h"
#include "TrackLoudness.h"

// What the output's tags must say of the output rather than of the input:
// how the conversion changed its length, how loud it is, and, for the tag
// in hand, how many bytes there are from its end to the output's next
// ID3v2 tag (-1 when there is none).
struct OutputFacts {
  TagTiming timing;
  TrackLoudness loudness;
  int64_t toNextTag;
};
