#include <gtest/gtest.h>

#include "LoudnessText.h"

namespace {

TEST(LoudnessTextTest, ValuesAreKnownByTheirNamesInAnyCase) {
  using Value = LoudnessText::Value;
  EXPECT_EQ(LoudnessText::Named("REPLAYGAIN_TRACK_GAIN"), Value::TrackGain);
  EXPECT_EQ(LoudnessText::Named("replaygain_track_peak"), Value::TrackPeak);
  EXPECT_EQ(LoudnessText::Named("ReplayGain_Album_Gain"), Value::Album);
  EXPECT_EQ(LoudnessText::Named("REPLAYGAIN_ALBUM_PEAK"), Value::Album);
  EXPECT_EQ(LoudnessText::Named("REPLAYGAIN_REFERENCE_LOUDNESS"), Value::None);
  EXPECT_EQ(LoudnessText::Named("REPLAYGAIN_TRACK_GAIN "), Value::None);
}

// The gain keeps the form its writer gave it: the sign, the decimals, the
// unit; a text without a number gets the common "%+.2f dB".
TEST(LoudnessTextTest, AGainIsWrittenInTheFormOfTheInputsText) {
  EXPECT_EQ(LoudnessText::Gain("-6.54 dB", 1.234), "+1.23 dB");
  EXPECT_EQ(LoudnessText::Gain("-6.54 dB", -0.456), "-0.46 dB");
  EXPECT_EQ(LoudnessText::Gain("+2.1 dB", 3.06), "+3.1 dB");
  EXPECT_EQ(LoudnessText::Gain("2.10 dB", 3.06), "3.06 dB");
  EXPECT_EQ(LoudnessText::Gain("-6.540000 dB", 1.0), "+1.000000 dB");
  EXPECT_EQ(LoudnessText::Gain("-6 dB", 1.234), "+1.23 dB") << "whole decibels are too coarse";
  EXPECT_EQ(LoudnessText::Gain("-6.5dB", 1.26), "+1.3dB");
  EXPECT_EQ(LoudnessText::Gain(" -3.00", -2.0), " -2.00");
  EXPECT_EQ(LoudnessText::Gain("-1.00 dB", -0.001), "+0.00 dB") << "no negative zero";
  EXPECT_EQ(LoudnessText::Gain("unknown", -7.5), "-7.50 dB");
  EXPECT_EQ(LoudnessText::Gain("", 7.5), "+7.50 dB");
  EXPECT_EQ(LoudnessText::Peak(0.9876543), "0.987654");
  EXPECT_EQ(LoudnessText::Peak(1.0), "1.000000");
}

// iTunNORM: 1000 and 2500 times 10^(-gain / 10) for both channels, each
// channel's peak of 32767; the words whose meaning is not known stay.
TEST(LoudnessTextTest, SoundCheckTakesTheGainAndPeaksAndKeepsTheRest) {
  TrackLoudness loudness;
  loudness.measured = true;
  loudness.integratedLufs = -8.0;  // 10 dB too loud: a tenth of the power
  loudness.channelPeaks[0] = 0.5;
  loudness.channelPeaks[1] = 1.0;
  EXPECT_EQ(LoudnessText::SoundCheck(" 0000031A 0000031A 00000800 00000800 00024CA8 00024CA8 "
                                     "00007FFF 00007FFF 00024CA8 00024CA8",
                                     loudness),
            " 00002710 00002710 000061A8 000061A8 00024CA8 00024CA8 00004000 00007FFF 00024CA8"
            " 00024CA8");
  EXPECT_EQ(LoudnessText::SoundCheck(" 0000031A 00000000", loudness),
            " 00002710 00002710 000061A8 000061A8 00000000 00000000 00004000 00007FFF 00000000"
            " 00000000")
      << "the missing words are added";
}

}  // namespace
