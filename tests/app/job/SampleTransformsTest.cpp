#include <gtest/gtest.h>

#include <vector>

#include "FadeIn.h"
#include "SampleTransforms.h"

namespace {

// The job's fade over one first block, as it goes on whole.
void FadeWhole(std::vector<int16_t>& block) {
  FadeIn fade;
  AudioBlock whole = {block.data(), block.size() / 2};
  fade.Measure(whole);
  fade.Apply(whole);
}

TEST(SampleTransformsTest, FadeInScalesTheFirstQuarterByIOverN) {
  std::vector<int16_t> block(32, 1000);  // 64 bytes: n = 8
  block[31] = -1000;
  FadeWhole(block);
  EXPECT_EQ(block[0], 0);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(block[i], static_cast<int16_t>(static_cast<double>(i / 8.0f) * 1000)) << i;
  }
  EXPECT_EQ(block[1], 125);
  EXPECT_EQ(block[7], 875);
  EXPECT_EQ(block[8], 1000) << "the rest of the block is left alone";
  EXPECT_EQ(block[31], -1000);
}

TEST(SampleTransformsTest, FadeInTruncatesTowardZero) {
  std::vector<int16_t> block(12, -7);  // 24 bytes: n = 3
  FadeWhole(block);
  EXPECT_EQ(block[1], -2);  // -7 / 3 = -2.33
  EXPECT_EQ(block[2], -4);  // -14 / 3 = -4.67
}

TEST(SampleTransformsTest, ABlockUnderEightBytesIsNotFaded) {
  std::vector<int16_t> block = {500, -500};
  FadeWhole(block);
  EXPECT_EQ(block, (std::vector<int16_t>{500, -500}));
}

// A plug-in that holds sound back or stretches it spreads the fade's values
// over its calls: the fade goes on where it left off, and only the first
// decoded block sets its length.
TEST(SampleTransformsTest, TheFadeContinuesOverThePiecesThatGoOn) {
  FadeIn fade;
  std::vector<int16_t> first(32, 800), later(64, 800);  // n = 8
  fade.Measure(AudioBlock{first.data(), 16});
  fade.Measure(AudioBlock{later.data(), 32});
  std::vector<int16_t> piece(6, 800), rest(6, 800);
  fade.Apply(AudioBlock{piece.data(), 3});
  fade.Apply(AudioBlock{rest.data(), 3});
  EXPECT_EQ(piece, (std::vector<int16_t>{0, 100, 200, 300, 400, 500}));
  EXPECT_EQ(rest, (std::vector<int16_t>{600, 700, 800, 800, 800, 800}));
}

TEST(SampleTransformsTest, VolumeScalesTruncatesAndClamps) {
  std::atomic<int> volume(100);
  std::vector<int16_t> block = {32767, -32768, 1234, -1};
  SampleTransforms::ApplyVolume(block.data(), block.size() * 2, volume);
  EXPECT_EQ(block, (std::vector<int16_t>{32767, -32768, 1234, -1})) << "100 leaves it unchanged";

  volume = 50;
  block = {1001, -1001, 3};
  SampleTransforms::ApplyVolume(block.data(), block.size() * 2, volume);
  EXPECT_EQ(block, (std::vector<int16_t>{500, -500, 1}));

  volume = 0;
  block = {32767, -32768};
  SampleTransforms::ApplyVolume(block.data(), block.size() * 2, volume);
  EXPECT_EQ(block, (std::vector<int16_t>{0, 0}));

  volume = 200;
  block = {30000, -30000, 100};
  SampleTransforms::ApplyVolume(block.data(), block.size() * 2, volume);
  EXPECT_EQ(block, (std::vector<int16_t>{32767, -32768, 200}));
}

}  // namespace
