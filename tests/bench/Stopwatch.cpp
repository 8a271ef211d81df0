#include "Stopwatch.h"

namespace {

double Seconds(const FILETIME& time) {
  ULARGE_INTEGER value;
  value.LowPart = time.dwLowDateTime;
  value.HighPart = time.dwHighDateTime;
  return static_cast<double>(value.QuadPart) / 1e7;  // 100 ns units
}

}  // namespace

void Stopwatch::Start() {
  wallStart_ = Now();
  cpuStart_ = ThreadCpuSeconds(GetCurrentThread());
}

Timing Stopwatch::Elapsed() const {
  Timing timing;
  timing.wall = Now() - wallStart_;
  timing.cpu = ThreadCpuSeconds(GetCurrentThread()) - cpuStart_;
  return timing;
}

double Stopwatch::ThreadCpuSeconds(HANDLE thread) {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(thread, &created, &ended, &kernel, &user)) return 0;
  return Seconds(kernel) + Seconds(user);
}

double Stopwatch::Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}
