#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// In-place transforms of interleaved 16-bit stereo blocks.
namespace SampleTransforms {

// A fade-in over a stream that comes in pieces: `samples` holds the `count`
// values from value `start` of a fade `length` values long; value i becomes
// i / length of itself (length in single precision, the product in double,
// truncated toward zero and clamped).
void FadeInPart(int16_t* samples, size_t count, size_t start, size_t length);

// Scales every value by volume / 100, reading the volume afresh for each
// value so a move of the slider takes effect within the block.
void ApplyVolume(int16_t* samples, size_t bytes, const std::atomic<int>& volume);

}  // namespace SampleTransforms
