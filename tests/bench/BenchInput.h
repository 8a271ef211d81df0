#pragma once

#include <string>

// The benchmark's input: the music-like test signal, stereo at 44100 Hz,
// encoded at 320 kbit/s. Kept between runs, as long inputs take a while to
// make; the name carries the length.
class BenchInput {
 public:
  BenchInput(const std::string& folder, int seconds);
  // Makes the file unless it is already there; false if it cannot be made.
  bool Prepare() const;
  const std::string& Path() const { return path_; }
  int Seconds() const { return seconds_; }

 private:
  std::string path_;
  int seconds_;
};
