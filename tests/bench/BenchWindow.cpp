#include "BenchWindow.h"

#include <commctrl.h>

BenchWindow::BenchWindow(const wchar_t* title) {
  ended_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  InitCommonControls();
  progressBar_ = CreateWindowExW(0, PROGRESS_CLASSW, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 320, 60, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

BenchWindow::~BenchWindow() {
  if (progressBar_) DestroyWindow(progressBar_);
  if (ended_) CloseHandle(ended_);
}

void BenchWindow::ShowProgress(int percent) {
  SendNotifyMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void BenchWindow::SignalEnd() { SetEvent(ended_); }

void BenchWindow::PumpUntilEnded() {
  while (MsgWaitForMultipleObjects(1, &ended_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}
