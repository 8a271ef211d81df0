#include "KThread.h"

namespace {
constexpr DWORD kPollMs = 10;
}

KThread::KThread() : handle(nullptr), running(false), stopRequested(false), started(nullptr) {}

void KThread::SetHandle(HANDLE threadHandle) { handle = threadHandle; }

HANDLE KThread::GetHandle() { return handle; }

void KThread::Run() {}

bool KThread::Start() {
  stopRequested.store(false);
  running.store(true);
  HANDLE thread = CreateThread(nullptr, 0, ThreadEntry, this, 0, nullptr);
  if (!thread) {
    // No Run will ever clear the flag; left set, an owner waiting for it
    // would wait for ever.
    running.store(false);
    return false;
  }
  // Run stores its own handle; this one is for the owner to join.
  if (started) CloseHandle(started);
  started = thread;
  return true;
}

void KThread::RequestStop() { stopRequested.store(true); }

bool KThread::IsRunning() { return running.load(); }

void KThread::WaitForFinish() {
  while (running.load()) Sleep(kPollMs);
}

bool KThread::Join(DWORD milliseconds) {
  if (!started) return true;
  if (WaitForSingleObject(started, milliseconds) != WAIT_OBJECT_0) return false;
  CloseHandle(started);
  started = nullptr;
  return true;
}

KThread::~KThread() {
  if (started) CloseHandle(started);
}

DWORD WINAPI KThread::ThreadEntry(void* parameter) {
  if (!parameter) return 0;
  KThread* thread = static_cast<KThread*>(parameter);
  thread->SetHandle(GetCurrentThread());
  thread->Run();
  return 0;
}
