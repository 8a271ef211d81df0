#include "TestSignals.h"

#include <cmath>

namespace TestSignals {

namespace {
constexpr double kTwoPi = 6.283185307179586;
}

std::vector<int16_t> MusicLike(int frames, int silentFrames) {
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2, 0);
  uint32_t noise = 12345;
  for (int i = silentFrames; i < frames - silentFrames; ++i) {
    double t = static_cast<double>(i) / kRate;
    double chord = (i / (kRate / 2)) % 3;
    double level = 0.5 + 0.4 * std::sin(kTwoPi * 0.7 * t);
    noise = noise * 1664525u + 1013904223u;
    double hiss = (static_cast<int>(noise >> 16) - 32768) / 32768.0 * 0.03;
    double left = std::sin(kTwoPi * (220 + 55 * chord) * t) +
                  0.5 * std::sin(kTwoPi * 330 * t);
    double right = std::sin(kTwoPi * (277 + 30 * chord) * t) +
                   0.3 * std::sin(kTwoPi * 1760 * t);
    pcm[2 * i] = static_cast<int16_t>(9000 * level * left + 3000 * hiss);
    pcm[2 * i + 1] = static_cast<int16_t>(9000 * level * right + 3000 * hiss);
  }
  return pcm;
}

std::vector<int16_t> Loud(int frames) {
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = (i / 100) % 2 ? 8000 : -8000;
  return pcm;
}

std::vector<int16_t> ToneIn(int channel, int frames, double hz, int amplitude) {
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2, 0);
  for (int i = 0; i < frames; ++i) {
    pcm[2 * i + channel] = static_cast<int16_t>(amplitude * std::sin(kTwoPi * hz * i / kRate));
  }
  return pcm;
}

std::vector<int16_t> Silence(int frames) {
  return std::vector<int16_t>(static_cast<size_t>(frames) * 2, 0);
}

}  // namespace TestSignals
