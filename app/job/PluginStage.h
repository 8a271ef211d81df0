#pragma once

#include "AudioBlock.h"
#include "GuardedModule.h"
#include "JobState.h"

// The plug-in's part of the job, in Winamp's calling pattern, which real
// plug-ins are written for: slices of at most 576 frames, each with room
// behind it for twice its frames, and the count each call returns is what
// goes on. Every call runs guarded; the job's state knows when the worker
// is inside one. After the input's end the stage drains the plug-in (see
// Drain). Owns the buffers the slices are gathered and held in.
class PluginStage {
 public:
  explicit PluginStage(JobState& state);
  PluginStage(const PluginStage&) = delete;
  PluginStage& operator=(const PluginStage&) = delete;
  ~PluginStage();

  // Room for what the plug-in returns of a block of `blockFrames`.
  bool SetUp(size_t blockFrames);
  void TearDown();
  // The most frames one block of this stage's output holds, drained ones
  // included.
  size_t MaxBlockFrames() const;
  // The plug-in whose module gets the slices (none: the sound passes
  // unchanged). Set while no job runs.
  void SetPlugin(GuardedModule* guarded) { plugin = guarded; }
  // A job begins, at the stream's rate.
  void Start(long sampleRate);

  // What the module made of `block`: the block itself without a module,
  // else the slices' returns one after another. Empty once the plug-in has
  // faulted. Stop is taken between slices.
  AudioBlock Process(AudioBlock block);
  // After the input's last block: what the plug-in still gives for
  // silence, a piece at a time into `drained`; false when there is no more.
  // Winamp never asks a plug-in for what it holds, so look-ahead plug-ins
  // keep the end of the sound and echoes lose their tails unless a
  // converter asks: first everything a plug-in held back (what it was given
  // and has not returned), then what stays audible. A plug-in that changes
  // the length on purpose owes nothing; silence that comes back after
  // everything owed is dropped, so a plug-in that holds nothing adds
  // nothing. Stop ends it at the next slice.
  bool Drain(AudioBlock* drained);
  // Of what the drain gave, the frames that followed what the plug-in owed.
  int64_t TailFrames() const { return tailFrames; }
  // The plug-in faulted, on either thread: it must not be called again.
  bool HasFaulted() const { return plugin && plugin->HasFaulted(); }

 private:
  // Returns the valid count: a count out of range keeps the slice's length.
  size_t Call(winampDSPModule* module, int16_t* samples, size_t frames);
  void Count(size_t given, size_t returned);
  // What the plug-in was given and has not returned, unless it changes the
  // length on purpose.
  int64_t Owed() const;
  bool DrainOver() const;
  // Keeps returned frames past what was owed: audible ones go out with the
  // quiet ones held before them, trailing quiet ones are dropped.
  void Hold(const int16_t* samples, size_t frames);

  // Frames given and returned, and the same since the plug-in first
  // returned sound, whose drift tells whether it changes the length.
  struct Counts {
    int64_t given;
    int64_t returned;
    int64_t givenSinceFirst;
    int64_t returnedSinceFirst;
    bool returnedAny;
  };

  JobState& state;
  GuardedModule* plugin;
  long rate;
  // What the module returns of a block: up to twice its frames.
  int16_t* outputBuffer;
  size_t outputFrames;
  Counts counts;
  // The drain: silence fed so far, what is still owed, the frames held
  // past it (audible: they go out next).
  int64_t silenceFed;
  int64_t owed;
  int16_t* held;
  size_t heldFrames;
  bool heldAudible;
  bool heldReleased;
  int64_t tailFrames;
};
