#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Real MP3 files for the tests, made and read with the program's own LAME
// and libmpg123.
namespace TestMp3 {

// Encodes interleaved PCM (`channels` 1 or 2) at `rate` into `path`, with
// the gapless information LAME writes into the first frame.
bool Write(const std::string& path, const std::vector<int16_t>& pcm, int rate, int channels,
           int kbps = 192);

struct Decoded {
  bool ok = false;
  long rate = 0;
  int channels = 0;
  std::vector<int16_t> pcm;  // interleaved
  size_t Frames() const { return channels ? pcm.size() / channels : 0; }
};

Decoded Read(const std::string& path);

// Adds a front cover of `bytes` bytes (not a real image: only its size
// matters) to the file's ID3v2 tag, with TagLib.
bool AddCover(const std::string& path, unsigned int bytes);

// Gives the file an ID3v2 tag with a title and, where not 0, disc and
// track numbers, with TagLib.
bool Tag(const std::wstring& path, const std::string& title, int disc, int track);
// The title in the file's tags ("" when none).
std::string Title(const std::wstring& path);
// Adds ReplayGain's track gain and peak (user texts) to the file's ID3v2
// tag, with TagLib.
bool AddReplayGain(const std::string& path);

// Root mean square of one channel of interleaved stereo samples.
double ChannelLevel(const std::vector<int16_t>& stereo, int channel);

}  // namespace TestMp3
