#pragma once

#include <windows.h>

// What a benchmarked job reports to, as the program's window: a real
// progress bar of the calling thread, so every progress call crosses to
// another thread as in the program, and the signal of the job's end.
class BenchWindow {
 public:
  explicit BenchWindow(const wchar_t* title);
  ~BenchWindow();
  BenchWindow(const BenchWindow&) = delete;
  BenchWindow& operator=(const BenchWindow&) = delete;

  bool IsReady() const { return progressBar_ && ended_; }
  HWND Handle() const { return progressBar_; }

  // From the worker: handed over without waiting for the redraw, as the
  // program's window takes it.
  void ShowProgress(int percent);
  void SignalEnd();
  // Sleeps until a message comes or the end is signalled, as the program's
  // window thread sleeps in its message loop: a thread that woke on a timer
  // would take its share of the machine from the worker.
  void PumpUntilEnded();

 private:
  HWND progressBar_ = nullptr;
  HANDLE ended_ = nullptr;
};
