#pragma once

#include <cstdint>

// What Winamp's plug-ins may ask about the sound that goes through them,
// told by whatever plays it.
class PlaybackFacts {
 public:
  // Sound goes through the plug-in now.
  virtual bool IsPlaying() const = 0;
  // The input's position in ms; -1 when nothing plays.
  virtual int PositionMs() const = 0;
  virtual int64_t LengthMs() const = 0;
  virtual long GetSampleRate() const = 0;
  virtual int GetChannels() const = 0;
  // In kbit/s, as the input's first frame has it.
  virtual int GetBitRate() const = 0;

 protected:
  ~PlaybackFacts() = default;
};
