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

// The same signal without the silence, made in pieces of any length: frame
// `first` onwards into `pcm` (resized to `frames` frames). `noise` carries
// the noise generator from one piece to the next; start it at kMusicNoiseSeed.
constexpr uint32_t kMusicNoiseSeed = 12345;
void MusicLikePiece(int64_t first, int frames, uint32_t& noise, std::vector<int16_t>& pcm);

// Every sample loud (a square wave of ±8000), so the first and last frame of
// the sound can be found exactly in a capture.
std::vector<int16_t> Loud(int frames);

// A sine tone of `hz` at `amplitude` in the left channel only (`channel` 0)
// or the right only (1).
std::vector<int16_t> ToneIn(int channel, int frames, double hz = 440, int amplitude = 12000);

// Bursts of a 1 kHz tone in the left channel, `burstFrames` long, the first
// at `firstFrame` and then every `periodFrames`; silence between them and
// in the right channel. Where the bursts begin shows the timeline.
std::vector<int16_t> Bursts(int frames, int periodFrames, int burstFrames, int firstFrame);

// `frames` frames of digital silence.
std::vector<int16_t> Silence(int frames);

}  // namespace TestSignals
