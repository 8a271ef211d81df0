#include "JobBench.h"

#include <commctrl.h>

#include <cstdio>

JobBench::JobBench() {
  job_.SetUp();
  ended_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  InitCommonControls();
  progressBar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"Vellumtone benchmark",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 60, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
}

JobBench::~JobBench() {
  WaitForFinish();
  host_.Unload();
  if (progressBar_) DestroyWindow(progressBar_);
  if (ended_) CloseHandle(ended_);
}

bool JobBench::SetUp(const std::string& pluginPath) {
  return progressBar_ && ended_ && host_.Load(pluginPath.c_str(), progressBar_);
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

// As the program's window does: handed over without waiting for the redraw.
void JobBench::ShowProgress(int percent) {
  SendNotifyMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

// Called by the worker once the file is in place.
void JobBench::ShowConversionEnd(JobEnding ending) {
  endWall_ = Stopwatch::Now();
  endCpu_ = Stopwatch::ThreadCpuSeconds(GetCurrentThread());
  ending_ = ending;
  SetEvent(ended_);
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

// Sleeps until a message comes or the conversion has ended, as the
// window's thread of the program sleeps in its message loop: a thread that
// woke on a timer would take its share of the machine from the worker.
void JobBench::PumpUntilFinished() {
  while (MsgWaitForMultipleObjects(1, &ended_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  // The rest of the worker's end comes after the measured part.
  while (!job_.State().IsIdle()) Sleep(1);
  WaitForFinish();
}
