#pragma once

// The stages one block passes through in a job, and the end of a conversion.
enum class BlockPhase {
  Decode,    // reading a block from the decoder
  Plugin,    // the block's slices: their copies and the guarded plug-in calls
  Fade,      // the fade-in (and its check on every later block)
  Sink,      // encoding and writing, or playing
  Progress,  // the position and the progress display
  Finish,    // the flush, the Info tag, the tags and closing the file
  Count
};

// Told by the job's worker when each stage of a block is over, for a
// measurement of where its time goes. The program has none; a benchmark
// sets one.
class BlockPhaseTimer {
 public:
  virtual ~BlockPhaseTimer() = default;
  // The worker begins the job.
  virtual void Start() = 0;
  // `phase` is over.
  virtual void Lap(BlockPhase phase) = 0;
  // A block has passed every stage.
  virtual void EndBlock() = 0;
  // The job's end is done.
  virtual void Stop() = 0;
};
