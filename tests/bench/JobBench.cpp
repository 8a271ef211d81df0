#include "JobBench.h"

#include <cstdio>

JobBench::JobBench() : window_(L"Vellumtone benchmark") { job_.SetUp(); }

JobBench::~JobBench() {
  WaitForFinish();
  host_.Unload();
}

bool JobBench::SetUp(const std::string& pluginPath) {
  return window_.IsReady() && host_.Load(pluginPath.c_str(), window_.Handle());
}

bool JobBench::Convert(const std::string& input, const std::string& output, int kbps,
                       int quality, Timing* timing, BlockPhaseClock* phases) {
  if (!Prepare(input, output, kbps, quality)) return false;
  job_.SetPlugin(&host_.Plugin());
  job_.SetPhaseTimer(phases);
  ending_ = JobEnding::Aborted;
  startWall_ = Stopwatch::Now();
  if (!job_.Begin() || !Start()) {
    job_.SetPhaseTimer(nullptr);
    job_.AbandonPrepared();
    job_.CloseInput();
    return false;
  }
  PumpUntilFinished();
  job_.SetPhaseTimer(nullptr);
  timing->wall = endWall_ - startWall_;
  timing->cpu = endCpu_ - startCpu_;
  return ending_ == JobEnding::Finished;
}

const char* JobBench::DecoderName() {
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  const char* name = decoder ? mpg123_current_decoder(decoder) : "unknown";
  mpg123_delete(decoder);
  return name;
}

void JobBench::Run() {
  startCpu_ = Stopwatch::ThreadCpuSeconds(GetCurrentThread());
  job_.Run(*this);
  running = false;
}

void JobBench::ShowProgress(int percent) { window_.ShowProgress(percent); }

// Called by the worker once the file is in place.
void JobBench::ShowConversionEnd(JobEnding ending) {
  endWall_ = Stopwatch::Now();
  endCpu_ = Stopwatch::ThreadCpuSeconds(GetCurrentThread());
  ending_ = ending;
  window_.SignalEnd();
}

bool JobBench::Prepare(const std::string& input, const std::string& output, int kbps,
                       int quality) {
  long rate;
  int channels, encoding;
  if (!job_.OpenInput(KString(input.c_str()))) return false;
  if (!job_.GetFormat(&rate, &channels, &encoding)) {
    job_.CloseInput();
    return false;
  }
  job_.MeasureLength();
  if (job_.CreateOutput(KString(output.c_str())) && job_.PrepareConversion(kbps, quality)) {
    return true;
  }
  job_.CloseInput();
  return false;
}

void JobBench::PumpUntilFinished() {
  window_.PumpUntilEnded();
  // The rest of the worker's end comes after the measured part.
  while (!job_.State().IsIdle()) Sleep(1);
  WaitForFinish();
}
