#include "SampleTransforms.h"

namespace SampleTransforms {

namespace {

int16_t TruncateAndClamp(double value) {
  if (value <= -32768.0) return -32768;
  if (value >= 32767.0) return 32767;
  return static_cast<int16_t>(value);  // truncates toward zero
}

}  // namespace

void FadeInPart(int16_t* samples, size_t count, size_t start, size_t length) {
  float n = static_cast<float>(length);
  for (size_t i = start; i < length && i - start < count; ++i) {
    int16_t& sample = samples[i - start];
    sample = TruncateAndClamp(static_cast<double>(i / n) * sample);
  }
}

void ApplyVolume(int16_t* samples, size_t bytes, const std::atomic<int>& volume) {
  size_t count = bytes / 2;
  for (size_t i = 0; i < count; ++i) {
    samples[i] = TruncateAndClamp(volume.load(std::memory_order_relaxed) / 100.0 * samples[i]);
  }
}

}  // namespace SampleTransforms
