#pragma once

#include <taglib/tbytevector.h>

#include "TagTiming.h"

// The frames of an ID3v2 tag that must be written anew, read and rendered
// by TagLib: those that point at moments of the audio, the length, iTunes'
// gapless facts (a comment "iTunSMPB": the encoder's delay and padding and
// the audio's length in samples; "iTunPGAP": the track joins the next one
// without a gap), and a picture of ID3v2.2, whose form changed. Each takes
// and gives a whole frame (header and data) of the given tag version, 2.2
// given as 2.3; the header's status flags stay, its format flags
// (compression, encryption, grouping) go, as the data is written plain.
class FrameRemaker {
 public:
  enum class Outcome {
    Kept,    // the frame holds for the output as it is
    Remade,  // written anew
    Dropped  // no longer true of the output, and nothing could make it so
  };
  // TLEN, CHAP, SYLT, ETCO and the two comments: what `frame` becomes for
  // `timing`. Kept for every other frame, and for one TagLib cannot read.
  static Outcome Remake(const TagLib::ByteVector& frame, unsigned int version,
                        const TagTiming& timing, TagLib::ByteVector* remade);
  // ID3v2.2's PIC as ID3v2.3's APIC; empty when TagLib cannot read it.
  static TagLib::ByteVector PictureOfVersion2(const TagLib::ByteVector& frame);
};
