#include <gtest/gtest.h>
#include <windows.h>

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

}  // namespace
