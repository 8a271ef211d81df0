#pragma once

#include <windows.h>

#include <atomic>

enum class JobPhase {
  Idle,       // no job; Play and Convert may start one
  Running,    // the worker runs the block loop
  Stopping,   // Stop was pressed; the loop ends at the next slice
  Finishing   // the loop is over; the worker closes the job and tells its end
};

enum class JobKind { Preview, Conversion };

// The one answer, for both threads, to "what is the job doing?": its phase
// and its kind, in a single atomic value, and when the worker entered the
// plug-in call it is in.
//
// Who changes it, and when:
//   Idle → Running        the window's thread, as it starts a prepared job;
//   Running → Stopping    the window's thread, on Stop;
//   Running or Stopping → Finishing   the worker, when its block loop ends;
//   Finishing → Idle      the worker, when everything of the job is closed
//                         and its end told (the result message included);
//   Running → Idle        the window's thread, when a prepared job's worker
//                         could not be started.
// What Winamp's plug-ins hear (IPC_ISPLAYING): 1 while Running or Stopping
// (sound still goes through them), 0 while Finishing or Idle.
class JobState {
 public:
  JobState();

  // Idle → Running with `kind`; false when a job is not over yet.
  bool Begin(JobKind kind);
  // Running → Stopping; false in any other phase.
  bool RequestStop();
  // Running or Stopping → Finishing; true when Stop had been pressed.
  bool Finish();
  // Back to Idle.
  void End();

  JobPhase Phase() const;
  JobKind Kind() const;
  bool IsIdle() const { return Phase() == JobPhase::Idle; }
  bool IsStopping() const { return Phase() == JobPhase::Stopping; }
  bool IsConverting() const { return !IsIdle() && Kind() == JobKind::Conversion; }
  bool IsPlaying() const;

  // The worker around each plug-in call.
  void EnterPluginCall();
  void LeavePluginCall();
  // True when the worker has been inside one plug-in call for longer than
  // `milliseconds`.
  bool IsStuckInPlugin(DWORD milliseconds) const;
  // When the plug-in call in hand began (0: none), which tells one call
  // from the next.
  DWORD PluginCallStart() const { return callStartedAt_; }

 private:
  static int Pack(JobPhase phase, JobKind kind);

  std::atomic<int> value_;
  // GetTickCount when the worker entered the plug-in call it is in, or 0.
  std::atomic<DWORD> callStartedAt_;
};
