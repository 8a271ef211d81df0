#include "BatchBench.h"

#include "AppProbe.h"
#include "Stopwatch.h"
#include "TestFiles.h"

BatchBench::BatchBench() : run_(job_, plan_), window_(L"Vellumtone batch benchmark") {
  job_.SetUp();
}

BatchBench::~BatchBench() {
  WaitForFinish();
  host_.Unload();
}

bool BatchBench::SetUp(const std::string& pluginPath) {
  if (!window_.IsReady() || !host_.Load(pluginPath.c_str(), window_.Handle())) return false;
  job_.SetPlugin(&host_.Plugin());
  return true;
}

bool BatchBench::Convert(const std::vector<std::string>& inputs, const std::string& folder,
                         int kbps, int quality, double* seconds) {
  std::wstring wideFolder(folder.begin(), folder.end());
  TestFiles::RemoveTree(wideFolder);
  CreateDirectoryW(wideFolder.c_str(), nullptr);
  std::vector<KString> paths;
  for (const std::string& input : inputs) paths.push_back(KString(input.c_str()));
  allDone_ = false;
  bytesAfterTen_ = 0;
  double start = Stopwatch::Now();
  plan_.SetInputs(paths);
  plan_.Check(job_, KString(folder.c_str()), nullptr);
  run_.Prepare(JobKind::Conversion, KString(folder.c_str()), kbps, quality);
  if (!job_.BeginSequence(JobKind::Conversion)) return false;
  if (!Start()) {
    job_.EndSequence();
    return false;
  }
  window_.PumpUntilEnded();
  while (!job_.State().IsIdle()) Sleep(1);
  WaitForFinish();
  *seconds = endWall_ - start;
  return allDone_;
}

void BatchBench::Run() {
  run_.Run(*this);
  running = false;
}

void BatchBench::ShowProgress(int percent) {
  window_.ShowProgress(percent);
}

void BatchBench::ShowCurrent(int number, int, const KString&) {
  if (number == 11) bytesAfterTen_ = PrivateBytes(GetCurrentProcess());
}

void BatchBench::ShowBatchEnd(const BatchRun& run) {
  endWall_ = Stopwatch::Now();
  bytesAtEnd_ = PrivateBytes(GetCurrentProcess());
  allDone_ = true;
  for (const BatchItem& item : run.Items()) allDone_ = allDone_ && item.outcome == BatchOutcome::Done;
  window_.SignalEnd();
}
