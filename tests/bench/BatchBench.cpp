#include "BatchBench.h"

#include <commctrl.h>

#include "AppProbe.h"
#include "Stopwatch.h"
#include "TestFiles.h"

BatchBench::BatchBench() : run_(job_, plan_) {
  job_.SetUp();
  ended_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  InitCommonControls();
  progressBar_ = CreateWindowExW(0, PROGRESS_CLASSW, L"Vellumtone batch benchmark",
                                 WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 320, 60, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), nullptr);
}

BatchBench::~BatchBench() {
  WaitForFinish();
  host_.Unload();
  if (progressBar_) DestroyWindow(progressBar_);
  if (ended_) CloseHandle(ended_);
}

bool BatchBench::SetUp(const std::string& pluginPath) {
  if (!progressBar_ || !ended_ || !host_.Load(pluginPath.c_str(), progressBar_)) return false;
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
  // As the program's window thread does: asleep until a message comes.
  while (MsgWaitForMultipleObjects(1, &ended_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
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
  SendNotifyMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void BatchBench::ShowCurrent(int number, int, const KString&) {
  if (number == 11) bytesAfterTen_ = PrivateBytes(GetCurrentProcess());
}

void BatchBench::ShowBatchEnd(const BatchRun& run) {
  endWall_ = Stopwatch::Now();
  bytesAtEnd_ = PrivateBytes(GetCurrentProcess());
  allDone_ = true;
  for (const BatchItem& item : run.Items()) allDone_ = allDone_ && item.outcome == BatchOutcome::Done;
  SetEvent(ended_);
}
