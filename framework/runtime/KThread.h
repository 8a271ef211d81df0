#pragma once

#include <windows.h>

#include <atomic>

// A worker thread with a cooperative stop. A derived class overrides Run,
// checks stopRequested at least once per unit of work, and clears running
// itself when its work is over; the owner polls IsRunning or WaitForFinish.
class KThread {
 public:
  KThread();
  KThread(const KThread&) = delete;
  KThread& operator=(const KThread&) = delete;

  virtual void SetHandle(HANDLE handle);
  virtual HANDLE GetHandle();
  virtual void Run();
  // False when no thread could be created; the running flag is then clear.
  virtual bool Start();
  virtual void RequestStop();
  virtual bool IsRunning();
  virtual void WaitForFinish();
  virtual ~KThread();

  // Waits up to `milliseconds` for the last started thread to end (its
  // Run returned); true when it has, or none was started.
  bool Join(DWORD milliseconds);

 protected:
  HANDLE handle;
  std::atomic<bool> running;
  std::atomic<bool> stopRequested;

 private:
  // The last started thread, kept to be joined.
  HANDLE started;
  static DWORD WINAPI ThreadEntry(void* parameter);
};
