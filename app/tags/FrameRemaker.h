#pragma once

#include <taglib/tbytevector.h>

#include "TagTiming.h"

// The frames of an ID3v2 tag that must be written anew, read and rendered
// by TagLib: those that point at moments of the audio, the length, and a
// picture of ID3v2.2, whose form changed. Each takes and gives a whole frame
// (header and data) of the given tag version, 2.2 given as 2.3; the header's
// status flags stay, its format flags (compression, encryption, grouping)
// go, as the data is written plain. Empty when TagLib cannot read it.
class FrameRemaker {
 public:
  // TLEN, CHAP, SYLT and ETCO: whether `frame` must change for `timing`,
  // and what it becomes. False for every other frame.
  static bool Retime(const TagLib::ByteVector& frame, unsigned int version,
                     const TagTiming& timing, TagLib::ByteVector* remade);
  // ID3v2.2's PIC as ID3v2.3's APIC.
  static TagLib::ByteVector PictureOfVersion2(const TagLib::ByteVector& frame);
};
