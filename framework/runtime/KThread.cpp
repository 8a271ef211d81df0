#include "KThread.h"

namespace {
constexpr DWORD kPollMs = 10;
}

KThread::KThread() : handle(nullptr), running(false), stopRequested(false) {}

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
  // The object never uses the creation handle (Run stores its own).
  CloseHandle(thread);
  return true;
}

void KThread::RequestStop() { stopRequested.store(true); }

bool KThread::IsRunning() { return running.load(); }

void KThread::WaitForFinish() {
  while (running.load()) Sleep(kPollMs);
}

KThread::~KThread() {}

DWORD WINAPI KThread::ThreadEntry(void* parameter) {
  if (!parameter) return 0;
  KThread* thread = static_cast<KThread*>(parameter);
  thread->SetHandle(GetCurrentThread());
  thread->Run();
  return 0;
}
