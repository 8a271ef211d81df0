#pragma once

#include <string>

#include "TrackLoudness.h"

// The loudness values that taggers write as text, by their names (ID3v2's
// TXXX descriptions, APEv2's keys), and the text each is written anew with
// for the output: a ReplayGain gain in the form the input's text had (its
// sign, its decimals, its unit), a peak with six decimals, iTunes' Sound
// Check figures ("iTunNORM").
class LoudnessText {
 public:
  enum class Value {
    None,       // not a loudness value
    TrackGain,  // REPLAYGAIN_TRACK_GAIN
    TrackPeak,  // REPLAYGAIN_TRACK_PEAK
    Album       // REPLAYGAIN_ALBUM_GAIN or _PEAK: the other tracks' loudness too
  };
  // Named as the ReplayGain values are, in any case.
  static Value Named(const std::string& name);
  // The output's track gain, as `input` was written ("-6.54 dB", "+2.1 dB",
  // "3.00"); in the common form "%+.2f dB" when it reads as no number.
  static std::string Gain(const std::string& input, double gainDb);
  static std::string Peak(double peak);
  // iTunNORM's ten hexadecimal words anew: the gain in the two scales
  // iTunes keeps (of 1000 and of 2500, left and right alike) and each
  // channel's peak; the four words whose meaning is not known stay.
  static std::string SoundCheck(const std::string& input, const TrackLoudness& loudness);
};
