#include "TestSignals.h"

#include <cmath>

namespace TestSignals {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// One stereo frame of the music-like signal at frame `i`.
void MusicLikeFrame(int64_t i, uint32_t& noise, int16_t* frame) {
  double t = static_cast<double>(i) / kRate;
  double chord = static_cast<double>((i / (kRate / 2)) % 3);
  double level = 0.5 + 0.4 * std::sin(kTwoPi * 0.7 * t);
  noise = noise * 1664525u + 1013904223u;
  double hiss = (static_cast<int>(noise >> 16) - 32768) / 32768.0 * 0.03;
  double left = std::sin(kTwoPi * (220 + 55 * chord) * t) + 0.5 * std::sin(kTwoPi * 330 * t);
  double right = std::sin(kTwoPi * (277 + 30 * chord) * t) + 0.3 * std::sin(kTwoPi * 1760 * t);
  frame[0] = static_cast<int16_t>(9000 * level * left + 3000 * hiss);
  frame[1] = static_cast<int16_t>(9000 * level * right + 3000 * hiss);
}

}  // namespace

std::vector<int16_t> MusicLike(int frames, int silentFrames) {
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2, 0);
  uint32_t noise = kMusicNoiseSeed;
  for (int i = silentFrames; i < frames - silentFrames; ++i) {
    MusicLikeFrame(i, noise, &pcm[2 * i]);
  }
  return pcm;
}

void MusicLikePiece(int64_t first, int frames, uint32_t& noise, std::vector<int16_t>& pcm) {
  pcm.resize(static_cast<size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) MusicLikeFrame(first + i, noise, &pcm[2 * i]);
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

std::vector<int16_t> Bursts(int frames, int periodFrames, int burstFrames, int firstFrame) {
  std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2, 0);
  for (int i = firstFrame; i < frames; ++i) {
    int into = (i - firstFrame) % periodFrames;
    if (into < burstFrames) {
      pcm[2 * i] = static_cast<int16_t>(12000 * std::sin(kTwoPi * 1000 * into / kRate));
    }
  }
  return pcm;
}

std::vector<int16_t> Silence(int frames) {
  return std::vector<int16_t>(static_cast<size_t>(frames) * 2, 0);
}

}  // namespace TestSignals
