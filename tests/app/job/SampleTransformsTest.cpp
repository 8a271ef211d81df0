#include <gtest/gtest.h>

#include <vector>

#include "SampleTransforms.h"

namespace {

TEST(SampleTransformsTest, FadeInScalesTheFirstQuarterByIOverN) {
  std::vector<int16_t> block(32, 1000);  // 64 bytes: n = 8
  block[31] = -1000;
  SampleTransforms::FadeIn(block.data(), block.size() * 2);
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
  SampleTransforms::FadeIn(block.data(), block.size() * 2);
  EXPECT_EQ(block[1], -2);  // -7 / 3 = -2.33
  EXPECT_EQ(block[2], -4);  // -14 / 3 = -4.67
}

TEST(SampleTransformsTest, ABlockUnderEightBytesIsNotFaded) {
  std::vector<int16_t> block = {500, -500, 300};
  SampleTransforms::FadeIn(block.data(), 6);
  EXPECT_EQ(block, (std::vector<int16_t>{500, -500, 300}));
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
