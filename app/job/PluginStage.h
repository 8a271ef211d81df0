#pragma once

#include "AudioBlock.h"
#include "GuardedModule.h"
#include "JobState.h"

// The plug-in's part of the job, in Winamp's calling pattern, which real
// plug-ins are written for: slices of at most 576 frames, each with room
// behind it for twice its frames, and the count each call returns is what
// goes on. Every call runs guarded; the job's state knows when the worker
// is inside one. Owns the buffer the slices are gathered in.
class PluginStage {
 public:
  explicit PluginStage(JobState& state);
  PluginStage(const PluginStage&) = delete;
  PluginStage& operator=(const PluginStage&) = delete;
  ~PluginStage();

  // Room for what the plug-in returns of a block of `blockFrames`.
  bool SetUp(size_t blockFrames);
  void TearDown();
  // The plug-in whose module gets the slices (none: the sound passes
  // unchanged). Set while no job runs.
  void SetPlugin(GuardedModule* guarded) { plugin = guarded; }
  // A job begins, at the stream's rate.
  void Start(long sampleRate) { rate = sampleRate; }

  // What the module made of `block`: the block itself without a module,
  // else the slices' returns one after another. Empty once the plug-in has
  // faulted. Stop is taken between slices.
  AudioBlock Process(AudioBlock block);
  // The plug-in faulted, on either thread: it must not be called again.
  bool HasFaulted() const { return plugin && plugin->HasFaulted(); }

 private:
  int Call(winampDSPModule* module, int16_t* samples, size_t frames);

  JobState& state;
  GuardedModule* plugin;
  long rate;
  // What the module returns of a block: up to twice its frames.
  int16_t* outputBuffer;
};
