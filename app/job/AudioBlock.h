#pragma once

#include <cstddef>
#include <cstdint>

// The job's one sample format: 16-bit signed values, two channels
// interleaved, native byte order.
constexpr int kBitsPerSample = 16;
constexpr int kChannels = 2;
constexpr size_t kBytesPerFrame = 4;
// Winamp hands its DSP plug-ins about this many frames per call, and
// plug-ins size their buffers and count their delays by it; the preview's
// device is given as much at a time (13 ms).
constexpr size_t kSliceFrames = 576;

// Sound on its way from the decoder through the plug-in and the fade to a
// sink: `frames` frames at `samples`, in a buffer owned by the stage that
// produced them and valid until that stage's next call.
struct AudioBlock {
  int16_t* samples;
  size_t frames;

  size_t Values() const { return frames * kChannels; }
  size_t Bytes() const { return frames * kBytesPerFrame; }
  bool IsEmpty() const { return frames == 0; }
};
