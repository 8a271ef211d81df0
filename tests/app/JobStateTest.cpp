#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "GuardedModule.h"
#include "JobState.h"

namespace {

TEST(JobStateTest, APreviewAndAConversionGoThroughTheirPhases) {
  JobState state;
  EXPECT_TRUE(state.IsIdle());
  EXPECT_FALSE(state.RequestStop()) << "nothing to stop";

  ASSERT_TRUE(state.Begin(JobKind::Preview));
  EXPECT_FALSE(state.Begin(JobKind::Conversion)) << "one job at a time";
  EXPECT_TRUE(state.IsPlaying());
  EXPECT_FALSE(state.IsConverting());
  EXPECT_FALSE(state.Finish()) << "it ran to its end";
  EXPECT_FALSE(state.IsPlaying()) << "finishing";
  EXPECT_FALSE(state.IsIdle());
  state.End();

  ASSERT_TRUE(state.Begin(JobKind::Conversion));
  EXPECT_TRUE(state.IsConverting());
  EXPECT_TRUE(state.RequestStop());
  EXPECT_TRUE(state.IsStopping());
  EXPECT_TRUE(state.IsPlaying()) << "sound goes through the plug-in until the loop ends";
  EXPECT_TRUE(state.Finish()) << "it was stopped";
  EXPECT_FALSE(state.RequestStop()) << "too late to stop";
  EXPECT_TRUE(state.IsConverting()) << "until its end is told";
  state.End();
  EXPECT_TRUE(state.IsIdle());
  EXPECT_FALSE(state.IsConverting());
}

TEST(JobStateTest, AStuckCallIsOneThatLastsLongerThanAsked) {
  JobState state;
  EXPECT_FALSE(state.IsStuckInPlugin(0)) << "not inside a call";
  state.EnterPluginCall();
  EXPECT_FALSE(state.IsStuckInPlugin(5000)) << "entered just now, whatever the clock's tick";
  Sleep(50);
  EXPECT_TRUE(state.IsStuckInPlugin(10));
  state.LeavePluginCall();
  EXPECT_FALSE(state.IsStuckInPlugin(0));
}

void Fault() {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
}

// A fault on one thread stops the other's calls from that moment.
TEST(GuardedModuleTest, AFaultOnEitherThreadEndsEveryCall) {
  GuardedModule plugin;
  int calls = 0;
  auto counted = [&] { ++calls; };
  auto faulting = [] { Fault(); };
  ASSERT_TRUE(plugin.Run(counted));
  bool returned = true;
  std::thread worker([&] { returned = plugin.Run(faulting); });
  worker.join();
  EXPECT_FALSE(returned);
  EXPECT_TRUE(plugin.HasFaulted());
  EXPECT_FALSE(plugin.Run(counted));
  EXPECT_EQ(calls, 1) << "not called after the fault";
  plugin.Reset();
  EXPECT_TRUE(plugin.Run(counted)) << "a new library";
}

}  // namespace
