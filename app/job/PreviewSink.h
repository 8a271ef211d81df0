#pragma once

#include <ao/ao.h>

#include <atomic>

#include "AudioSink.h"
#include "JobState.h"

// The preview's sink: libao's default device, in the stream's format, at the
// volume of the window's slider. Owns the library's start and stop and the
// device.
class PreviewSink : public AudioSink {
 public:
  static constexpr int kInitialVolume = 50;

  explicit PreviewSink(const JobState& state);
  PreviewSink(const PreviewSink&) = delete;
  PreviewSink& operator=(const PreviewSink&) = delete;
  ~PreviewSink() override;

  // Once per window: the library and its default driver.
  void SetUp();
  // Closes the device and stops the library; once more is harmless.
  void TearDown();

  // The device in the stream's format. False when there is none.
  bool Open(long rate, int channels, int bits);
  void Close();

  JobEnding Take(AudioBlock block) override;
  JobEnding Finish(JobEnding ending, PassedFrames passed) override;
  std::atomic<int>& Volume() { return volume; }

 private:
  void Prime();

  const JobState& state;
  bool libraryStarted;
  int driverId;
  ao_device* device;
  std::atomic<int> volume;
};
