#include "JobState.h"

namespace {
constexpr int kKindShift = 4;
constexpr int kPhaseMask = (1 << kKindShift) - 1;
}  // namespace

JobState::JobState() : value_(Pack(JobPhase::Idle, JobKind::Preview)), callStartedAt_(0) {}

int JobState::Pack(JobPhase phase, JobKind kind) {
  return static_cast<int>(phase) | static_cast<int>(kind) << kKindShift;
}

bool JobState::Begin(JobKind kind) {
  int idle = Pack(JobPhase::Idle, Kind());
  return value_.compare_exchange_strong(idle, Pack(JobPhase::Running, kind));
}

bool JobState::RequestStop() {
  int running = Pack(JobPhase::Running, Kind());
  return value_.compare_exchange_strong(running, Pack(JobPhase::Stopping, Kind()));
}

bool JobState::Finish() {
  int was = value_.exchange(Pack(JobPhase::Finishing, Kind()));
  return (was & kPhaseMask) == static_cast<int>(JobPhase::Stopping);
}

void JobState::End() {
  callStartedAt_ = 0;
  value_ = Pack(JobPhase::Idle, Kind());
}

JobPhase JobState::Phase() const { return static_cast<JobPhase>(value_.load() & kPhaseMask); }

JobKind JobState::Kind() const { return static_cast<JobKind>(value_.load() >> kKindShift); }

bool JobState::IsPlaying() const {
  JobPhase phase = Phase();
  return phase == JobPhase::Running || phase == JobPhase::Stopping;
}

void JobState::EnterPluginCall() { callStartedAt_ = GetTickCount() | 1; }  // never 0

void JobState::LeavePluginCall() { callStartedAt_ = 0; }

bool JobState::IsStuckInPlugin(DWORD milliseconds) const {
  DWORD started = callStartedAt_;
  if (started == 0) return false;
  // Signed: the start is stored with its lowest bit set, so it can lie one
  // tick ahead of the clock, and an unsigned difference would then be huge.
  LONG inside = static_cast<LONG>(GetTickCount() - started);
  return inside > static_cast<LONG>(milliseconds);
}
