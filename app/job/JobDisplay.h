#pragma once

// How a job ended, for the message the user gets.
enum class JobEnding {
  Finished,     // the input's end was reached
  Aborted,      // the user asked it to stop
  DecoderError, // the input could not be decoded to its end
  EncoderError, // the encoder failed; nothing of it was written
  WriteError,   // the output file could not be written
  KeptAside,    // finished, but the chosen name could not be replaced
  TagsNotCopied, // finished and placed, but without the input's tags
  PluginFault,  // the plug-in faulted; it must not be called again
  NoAudio       // the plug-in returned nothing of an input that had sound
};

// What the main window shows of a running job. The worker calls these
// itself; each is a synchronous call into the window's thread.
class JobDisplay {
 public:
  virtual ~JobDisplay() = default;
  virtual void ShowProgress(int percent) = 0;
  virtual void StopMarquee() = 0;
  // Back to the idle controls after a preview; `ending` tells why it ended.
  virtual void ShowPreviewEnd(JobEnding ending) = 0;
  // The pause, progress 100, idle controls and the result message, which the
  // worker waits on.
  virtual void ShowConversionEnd(JobEnding ending) = 0;
};
