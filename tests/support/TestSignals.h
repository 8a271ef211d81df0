#pragma once

#include <cstdint>
#include <vector>

// Interleaved 16-bit stereo test signals at 44100 Hz.
namespace TestSignals {

constexpr int kRate = 44100;

// A signal with a little of everything an encoder meets in music: chords
// that change, a moving level and some noise; silent for `silentFrames` at
// both ends.
std::vector<int16_t> MusicLike(int frames, int silentFrames);

// Every sample loud (a square wave of ±8000), so the first and last frame of
// the sound can be found exactly in a capture.
std::vector<int16_t> Loud(int frames);

// A sine tone of `hz` at `amplitude` in the left channel only (`channel` 0)
// or the right only (1).
std::vector<int16_t> ToneIn(int channel, int frames, double hz = 440, int amplitude = 12000);

// `frames` frames of digital silence.
std::vector<int16_t> Silence(int frames);

}  // namespace TestSignals
