#include "ProcessingJob.h"

#include "FpuState.h"

ProcessingJob::ProcessingJob()
    : plugin(state),
      preview(state),
      sink(nullptr),
      phaseTimer(nullptr),
      totalLength(0),
      framesRead(0),
      positionMs(0),
      sampleRate(0),
      bitRate(0),
      channels(0),
      encoding(0) {}

ProcessingJob::~ProcessingJob() { TearDown(); }

bool ProcessingJob::SetUp() {
  preview.SetUp();
  return input.SetUp() && plugin.SetUp(input.BlockFrames());
}

void ProcessingJob::TearDown() {
  file.Close();
  plugin.TearDown();
  input.TearDown();
  preview.TearDown();
}

bool ProcessingJob::OpenInput(const KString& path) {
  inputPath = path;
  return input.Open(path);
}

bool ProcessingJob::GetFormat(long* rate, int* channelCount, int* encodingId) {
  bool known = input.GetFormat(rate, channelCount, encodingId, &bitRate);
  sampleRate = *rate;
  channels = *channelCount;
  encoding = *encodingId;
  return known;
}

int64_t ProcessingJob::MeasureLength() {
  totalLength = input.MeasureLength();
  return totalLength;
}

bool ProcessingJob::PreparePreview() {
  sink = &preview;
  return preview.Open(sampleRate, channels, 8 * mpg123_encsize(encoding));
}

bool ProcessingJob::CreateOutput(const KString& path) { return file.Create(path, inputPath); }

// The encoder takes at once what the plug-in returns of a block.
bool ProcessingJob::PrepareConversion(int kbps, int quality) {
  sink = &file;
  return file.Prepare(kbps, quality, sampleRate, plugin.MaxBlockFrames());
}

bool ProcessingJob::Begin() {
  return sink && state.Begin(sink == &preview ? JobKind::Preview : JobKind::Conversion);
}

void ProcessingJob::AbandonPrepared() {
  preview.Close();
  file.Close();
  sink = nullptr;
  state.End();
}

void ProcessingJob::Run(JobDisplay& display) {
  file.KeepStopped(true);
  JobEnding ending = Process(display);
  bool stopped = state.Finish();
  if (ending == JobEnding::Finished && stopped) ending = JobEnding::Aborted;
  End(ending, display);
  state.End();
}

// In a sequence the next input would follow a stopped one, so its part
// file is no result of its own.
JobEnding ProcessingJob::RunNext(JobDisplay& display) {
  file.KeepStopped(false);
  JobEnding ending = Process(display);
  if (ending == JobEnding::Finished && state.IsStopping()) ending = JobEnding::Aborted;
  return End(ending, display);
}

JobEnding ProcessingJob::Process(JobDisplay& display) {
  // The decoder and the encoder run with the program's floating-point state,
  // the one every plug-in call hands back: a new thread's own may differ
  // from it (Wine starts threads at another x87 precision), and the output
  // would then depend on whether a plug-in was called.
  FpuState::Host().Load();
  if (phaseTimer) phaseTimer->Start();
  framesRead = 0;
  positionMs = 0;
  plugin.Start(sampleRate);
  fade.Restart();
  // A preview's bar is a marquee, not a percent.
  progress.Start(sink == &file ? &display : nullptr, totalLength);
  JobEnding ending = RunBlocks();
  progress.Offer(input.Position(), true);
  return ending;
}

// Read, process, fade in, sink, progress, until the input's end or Stop.
JobEnding ProcessingJob::RunBlocks() {
  while (!state.IsStopping()) {
    AudioBlock decoded;
    InputDecoder::Read read = input.Next(&decoded);
    Lap(BlockPhase::Decode);
    if (read == InputDecoder::Read::Failed) return JobEnding::DecoderError;
    // The decoder hands over the end of the stream together with its
    // last, partial block: that is part of the input too.
    if (!decoded.IsEmpty()) {
      JobEnding passed = Pass(decoded);
      if (passed != JobEnding::Finished) return passed;
      progress.Offer(input.Position(), false);
      Lap(BlockPhase::Progress);
      if (phaseTimer) phaseTimer->EndBlock();
    }
    if (read == InputDecoder::Read::Last) return Drain();
  }
  return JobEnding::Finished;
}

JobEnding ProcessingJob::Pass(AudioBlock decoded) {
  fade.Measure(decoded);
  AudioBlock processed = plugin.Process(decoded);
  Lap(BlockPhase::Plugin);
  if (plugin.HasFaulted()) return JobEnding::PluginFault;
  framesRead += static_cast<int64_t>(decoded.frames);
  positionMs = sampleRate > 0 ? static_cast<int>(framesRead * 1000 / sampleRate) : 0;
  return Emit(processed);
}

JobEnding ProcessingJob::Drain() {
  AudioBlock drained;
  while (plugin.Drain(&drained)) {
    Lap(BlockPhase::Plugin);
    JobEnding taken = Emit(drained);
    if (taken != JobEnding::Finished) return taken;
  }
  Lap(BlockPhase::Plugin);
  return plugin.HasFaulted() ? JobEnding::PluginFault : JobEnding::Finished;
}

JobEnding ProcessingJob::Emit(AudioBlock processed) {
  fade.Apply(processed);
  Lap(BlockPhase::Fade);
  JobEnding taken = sink->Take(processed);
  Lap(BlockPhase::Sink);
  return taken;
}

// Everything the job opened is closed before the idle controls come back,
// so a job started from them never meets this one's decoder or device.
JobEnding ProcessingJob::End(JobEnding ending, JobDisplay& display) {
  bool isPreview = sink == &preview;
  if (isPreview) display.StopMarquee();
  ending = sink->Finish(ending, PassedFrames{framesRead, plugin.TailFrames()});
  Lap(BlockPhase::Finish);
  if (phaseTimer) phaseTimer->Stop();
  input.Close();
  sink = nullptr;
  if (isPreview) {
    display.ShowPreviewEnd(ending);
  } else {
    display.ShowConversionEnd(ending);
  }
  return ending;
}

int ProcessingJob::PositionMs() const { return state.IsIdle() ? -1 : positionMs.load(); }

int64_t ProcessingJob::LengthMs() const {
  return sampleRate > 0 ? totalLength * 1000 / sampleRate : 0;
}
