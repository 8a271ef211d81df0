#include <gtest/gtest.h>

#include <atomic>

#include "KThread.h"

namespace {

// A worker whose Run waits for the test's go-ahead, then either works for a
// given time or until it is asked to stop, and records what it saw.
class ProbeThread : public KThread {
 public:
  explicit ProbeThread(DWORD workMs = 0) : workMs_(workMs) {}
  // A failed assertion leaves the test early: its thread must not outlive
  // the object it runs on.
  ~ProbeThread() override {
    allowedToRun = true;
    RequestStop();
    WaitForFinish();
  }

  void Run() override {
    handleSeenInRun = GetHandle();
    while (!allowedToRun) Sleep(1);
    sawStopAtStart = stopRequested.load();
    DWORD began = GetTickCount();
    while (!stopRequested && GetTickCount() - began < workMs_) Sleep(1);
    ++runs;
    running = false;
  }

  std::atomic<bool> allowedToRun{true};
  std::atomic<bool> sawStopAtStart{false};
  std::atomic<int> runs{0};
  std::atomic<HANDLE> handleSeenInRun{nullptr};

 private:
  DWORD workMs_;
};

TEST(KThreadTest, WaitForFinishOnANewObjectReturnsAtOnce) {
  KThread thread;
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.GetHandle(), nullptr);
  DWORD began = GetTickCount();
  thread.WaitForFinish();
  EXPECT_LT(GetTickCount() - began, 1000u);
}

TEST(KThreadTest, IsRunningFromStartUntilRunClearsIt) {
  ProbeThread thread;
  thread.allowedToRun = false;
  ASSERT_TRUE(thread.Start());
  EXPECT_TRUE(thread.IsRunning());  // whether or not the thread has begun
  thread.allowedToRun = true;
  thread.WaitForFinish();
  EXPECT_FALSE(thread.IsRunning());
  EXPECT_EQ(thread.runs, 1);
}

TEST(KThreadTest, WaitForFinishWaitsForASlowRun) {
  ProbeThread thread(300);
  ASSERT_TRUE(thread.Start());
  thread.WaitForFinish();
  EXPECT_EQ(thread.runs, 1);  // Run had finished its work
}

TEST(KThreadTest, RequestStopEndsTheRunAndStartClearsItForTheNext) {
  ProbeThread thread(60000);
  ASSERT_TRUE(thread.Start());
  thread.RequestStop();
  thread.WaitForFinish();
  EXPECT_EQ(thread.runs, 1);

  thread.allowedToRun = false;
  ASSERT_TRUE(thread.Start());
  thread.allowedToRun = true;
  Sleep(50);
  EXPECT_TRUE(thread.IsRunning()) << "the old stop request ended the new run";
  EXPECT_FALSE(thread.sawStopAtStart);
  thread.RequestStop();
  thread.WaitForFinish();
  EXPECT_EQ(thread.runs, 2);
}

TEST(KThreadTest, RunSeesThePseudoHandleOfItsOwnThread) {
  ProbeThread thread;
  ASSERT_TRUE(thread.Start());
  thread.WaitForFinish();
  EXPECT_EQ(thread.handleSeenInRun.load(), GetCurrentThread());
  EXPECT_EQ(thread.GetHandle(), GetCurrentThread());
}

}  // namespace
