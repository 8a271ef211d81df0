#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads what the sound server played, from the capture file that the test
// command keeps appending to (16-bit stereo, 44100 Hz, native order). Only
// what arrives after the reader was made belongs to the test.
class CaptureReader {
 public:
  explicit CaptureReader(const std::string& path);

  // Waits until at least `minFrames` sound frames have arrived and the sound
  // has then stopped (or the time runs out), and returns the sound: the
  // captured samples from the first to the last one that is not silent.
  std::vector<int16_t> WaitForSound(size_t minFrames, int timeoutMs = 15000);

  // Waits until the first sound has arrived, leaving it for WaitForSound: a
  // slow machine may take seconds before a preview is heard.
  bool WaitUntilSoundStarts(int timeoutMs = 15000) const;

 private:
  std::vector<int16_t> ReadNew();

  std::string path_;
  long long offset_;
};
