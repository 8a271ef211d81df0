#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "BlockPhaseClock.h"
#include "DspPluginHost.h"
#include "JobTestSupport.h"
#include "RecorderLog.h"
#include "TestFiles.h"
#include "TestMp3.h"
#include "TestSignals.h"

namespace {

using TestSignals::kRate;
constexpr long kFrameSamples = 1152;

// Each test writes its own input and output files.
class ProcessingJobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    input_ = name_ + "_in.mp3";
    output_ = name_ + "_out.mp3";
  }

  void WriteInput(const std::vector<int16_t>& pcm) {
    ASSERT_TRUE(TestMp3::Write(input_, pcm, kRate, 2));
    inputFrames_ = static_cast<long>(pcm.size() / 2);
  }

  // Converts the input through the named plug-in, start to end.
  void ConvertWith(const char* plugin, JobRunner& runner) {
    ASSERT_TRUE(host_.Load(PluginPath(plugin).c_str(), nullptr));
    runner.job.SetPlugin(&host_.Plugin());
    ASSERT_TRUE(runner.PrepareConversion(input_, output_));
    runner.RunToEnd();
    EXPECT_EQ(runner.endings, std::vector<JobEnding>{JobEnding::Finished});
  }

  // Starts a conversion through `plugin` and presses Stop `ms` later.
  void StopAfter(const char* plugin, DWORD ms, JobRunner& runner) {
    ASSERT_TRUE(host_.Load(PluginPath(plugin).c_str(), nullptr));
    runner.job.SetPlugin(&host_.Plugin());
    ASSERT_TRUE(runner.PrepareConversion(input_, output_));
    ASSERT_TRUE(runner.Begin());
    Sleep(ms);
    runner.job.RequestStop();
  }

  std::string name_, input_, output_;
  long inputFrames_ = 0;
  DspPluginHost host_;
};

// A minute is far more blocks than percents: a percent is shown once at
// most, in order, starting with the first block's 0, and no sooner than a
// tenth of a second after the last one, but for where the loop ended.
TEST_F(ProcessingJobTest, ProgressIsShownOncePerPercentAtMostTenTimesASecond) {
  WriteInput(TestSignals::Silence(60 * kRate));
  JobRunner runner;
  ASSERT_TRUE(runner.PrepareConversion(input_, output_));
  runner.RunToEnd();
  ASSERT_EQ(runner.endings, std::vector<JobEnding>{JobEnding::Finished});
  ASSERT_FALSE(runner.progress.empty());
  EXPECT_EQ(runner.progress.front(), 0);
  EXPECT_GE(runner.progress.back(), 95);
  for (size_t i = 1; i < runner.progress.size(); ++i) {
    EXPECT_GT(runner.progress[i], runner.progress[i - 1]);
    if (i + 1 == runner.progress.size()) break;
    // Stamped after the job's own reading of the same clock, so a stamp can
    // only be late (the worker preempted in between): half of it is enough
    // to tell that not every block's change was shown.
    EXPECT_GE(runner.progressTimes[i] - runner.progressTimes[i - 1], 50u);
  }
  EXPECT_LE(runner.progress.size(), 101u);
}

TEST_F(ProcessingJobTest, AConversionKeepsTheLengthAndReportsProgress) {
  WriteInput(TestSignals::MusicLike(3 * kRate, kRate / 10));
  JobRunner runner;
  ASSERT_TRUE(runner.PrepareConversion(input_, output_));
  runner.RunToEnd();
  ASSERT_EQ(runner.endings, std::vector<JobEnding>{JobEnding::Finished});
  EXPECT_TRUE(runner.job.State().IsIdle());
  ASSERT_FALSE(runner.progress.empty());
  for (size_t i = 1; i < runner.progress.size(); ++i) {
    EXPECT_GE(runner.progress[i], runner.progress[i - 1]);
  }
  EXPECT_GE(runner.progress.back(), 95);
  EXPECT_LE(runner.progress.back(), 100);

  TestMp3::Decoded output = TestMp3::Read(output_);
  ASSERT_TRUE(output.ok);
  EXPECT_EQ(output.rate, kRate);
  EXPECT_EQ(output.channels, 2);
  EXPECT_NEAR(static_cast<long>(output.Frames()), inputFrames_, kFrameSamples);
  // For the same check by Debian's own decoder on the Linux side.
  FILE* expected = std::fopen("conversion.frames", "wb");
  std::fprintf(expected, "%ld\n", inputFrames_);
  std::fclose(expected);
}

TEST_F(ProcessingJobTest, ThePluginIsHeardInTheOutput) {
  WriteInput(TestSignals::ToneIn(0, 2 * kRate));
  JobRunner runner;
  ConvertWith("test_swap", runner);
  TestMp3::Decoded output = TestMp3::Read(output_);
  ASSERT_TRUE(output.ok);
  EXPECT_GT(TestMp3::ChannelLevel(output.pcm, 1), 5000) << "the tone moved to the right";
  EXPECT_LT(TestMp3::ChannelLevel(output.pcm, 0), 200);
}

TEST_F(ProcessingJobTest, ThePluginGetsEveryBlockOnTheWorkerThread) {
  WriteInput(TestSignals::MusicLike(2 * kRate, 0));
  HMODULE keep = LoadLibraryW(PluginPath("test_recorder").c_str());  // the log outlives the host
  auto log = reinterpret_cast<RecorderLogFunction>(
      reinterpret_cast<void*>(GetProcAddress(keep, "RecorderLog")))();
  JobRunner runner;
  BlockPhaseClock clock;
  std::vector<BlockTicks> blocks;
  clock.KeepBlocks(&blocks);
  runner.job.SetPhaseTimer(&clock);
  ConvertWith("test_recorder", runner);
  EXPECT_EQ(log->bits, 16);
  EXPECT_EQ(log->channels, 2);
  EXPECT_EQ(log->rate, kRate);
  EXPECT_NE(log->thread, GetCurrentThreadId());
  EXPECT_EQ(log->maxFrames, 576) << "Winamp's slices";
  TestMp3::Decoded input = TestMp3::Read(input_);
  // Every frame of the input (frames = bytes / 4), then the drain's silent
  // slices until a second of silence came back.
  size_t drained = static_cast<size_t>(log->totalFrames) - input.Frames();
  EXPECT_EQ(drained % 576, 0u);
  EXPECT_GE(drained, static_cast<size_t>(kRate));
  EXPECT_LT(drained, static_cast<size_t>(kRate) + 576);
  FreeLibrary(keep);

  // Each block was timed, phase by phase, and the blocks and what came
  // after them add up to the whole run.
  mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
  const size_t blockFrames = mpg123_outblock(decoder) / 4;
  mpg123_delete(decoder);
  EXPECT_EQ(blocks.size(), (input.Frames() + blockFrames - 1) / blockFrames);
  for (int p = 0; p < static_cast<int>(BlockPhase::Count); ++p) {
    BlockPhase phase = static_cast<BlockPhase>(p);
    double sum = clock.SecondsAfterBlocks(phase);
    for (const BlockTicks& block : blocks) sum += clock.Seconds(block.ticks[p]);
    EXPECT_NEAR(sum, clock.Seconds(phase), 1e-9) << BlockPhaseClock::Name(phase);
  }
  for (const BlockTicks& block : blocks) {
    EXPECT_GT(block.ticks[static_cast<int>(BlockPhase::Sink)], 0u);
    EXPECT_EQ(block.ticks[static_cast<int>(BlockPhase::Finish)], 0u);
  }
}

// The end of the input drains the plug-in: one that owes nothing and rings
// on with nothing adds nothing, so its file is the one the job makes
// without a plug-in, byte for byte.
TEST_F(ProcessingJobTest, APluginThatHoldsNothingBackChangesNothingAtTheEnd) {
  WriteInput(TestSignals::MusicLike(3 * kRate, 0));
  JobRunner plain;
  ASSERT_TRUE(plain.PrepareConversion(input_, "plain.mp3"));
  plain.RunToEnd();
  std::string expected = TestFiles::ReadAll(L"plain.mp3");
  ASSERT_FALSE(expected.empty());
  for (const char* plugin : {"passthrough", "vellumtone_gain"}) {
    JobRunner runner;
    ConvertWith(plugin, runner);
    EXPECT_TRUE(TestFiles::ReadAll(std::wstring(output_.begin(), output_.end())) == expected)
        << plugin;
  }
}

TEST_F(ProcessingJobTest, ACountOutOfRangeKeepsTheWholeSlice) {
  WriteInput(TestSignals::MusicLike(2 * kRate, 0));
  JobRunner runner;
  ConvertWith("test_wrongcount", runner);
  EXPECT_NEAR(static_cast<long>(TestMp3::Read(output_).Frames()), inputFrames_, kFrameSamples);
}

// What the window does when the worker thread cannot be started: the file
// that had the output's name is as it was, and no temporary file is left.
TEST_F(ProcessingJobTest, AnAbandonedStartLeavesTheExistingOutputAsItWas) {
  WriteInput(TestSignals::MusicLike(kRate, 0));
  std::wstring output(output_.begin(), output_.end());
  TestFiles::WriteAll(output, "the user's own file");
  JobRunner runner;
  ASSERT_TRUE(runner.PrepareConversion(input_, output_));
  EXPECT_EQ(TestFiles::TemporaryOutputs(L"."), 1);
  runner.job.AbandonPrepared();
  runner.job.CloseInput();
  EXPECT_EQ(TestFiles::ReadAll(output), "the user's own file");
  EXPECT_EQ(TestFiles::TemporaryOutputs(L"."), 0);
}

// The request comes between the start and the worker's first look at it.
TEST_F(ProcessingJobTest, AStopBeforeTheLoopLeavesOnlyTheFlush) {
  WriteInput(TestSignals::MusicLike(2 * kRate, 0));
  HMODULE keep = LoadLibraryW(PluginPath("test_recorder").c_str());
  auto log = reinterpret_cast<RecorderLogFunction>(
      reinterpret_cast<void*>(GetProcAddress(keep, "RecorderLog")))();
  ASSERT_TRUE(host_.Load(PluginPath("test_recorder").c_str(), nullptr));
  JobRunner runner;
  runner.job.SetPlugin(&host_.Plugin());
  ASSERT_TRUE(runner.PrepareConversion(input_, output_));
  runner.holdWorker = true;
  ASSERT_TRUE(runner.Begin());
  runner.job.RequestStop();
  runner.holdWorker = false;
  runner.WaitUntilIdle();
  EXPECT_EQ(runner.endings, std::vector<JobEnding>{JobEnding::Aborted});
  EXPECT_EQ(log->blocks, 0) << "no block was read";
  EXPECT_TRUE(runner.progress.empty());
  TestMp3::Decoded output = TestMp3::Read(output_);
  EXPECT_LE(output.Frames(), static_cast<size_t>(kFrameSamples)) << "only what the flush gave";
  FreeLibrary(keep);
}

// A fault on the window's thread (in the plug-in's settings window) keeps
// the worker's next slice from the plug-in.
TEST_F(ProcessingJobTest, AFaultOnTheWindowsThreadEndsTheJobBeforeItsNextSlice) {
  WriteInput(TestSignals::MusicLike(kRate, 0));
  HMODULE keep = LoadLibraryW(PluginPath("test_recorder").c_str());
  auto log = reinterpret_cast<RecorderLogFunction>(
      reinterpret_cast<void*>(GetProcAddress(keep, "RecorderLog")))();
  ASSERT_TRUE(host_.Load(PluginPath("test_recorder").c_str(), nullptr));
  auto faulting = [] { *static_cast<volatile int*>(nullptr) = 1; };
  EXPECT_FALSE(host_.Plugin().Run(faulting));
  JobRunner runner;
  runner.job.SetPlugin(&host_.Plugin());
  ASSERT_TRUE(runner.PrepareConversion(input_, output_));
  runner.RunToEnd();
  EXPECT_EQ(runner.endings, std::vector<JobEnding>{JobEnding::PluginFault});
  EXPECT_EQ(log->blocks, 0);
  host_.Abandon();  // as the window does before it tells the user
  FreeLibrary(keep);
}

// The slow plug-in takes about 60 ms per decoded block: a 20 s input takes
// seconds, so the stop comes well before its half
// on a fast machine too.
TEST_F(ProcessingJobTest, AStopDuringTheConversionKeepsThePartialFile) {
  WriteInput(TestSignals::MusicLike(20 * kRate, 0));
  JobRunner runner;
  StopAfter("test_slow", 400, runner);
  runner.WaitUntilIdle();
  ASSERT_EQ(runner.endings, std::vector<JobEnding>{JobEnding::Aborted});
  TestMp3::Decoded output = TestMp3::Read(output_);
  EXPECT_GT(output.Frames(), 0u);
  EXPECT_LT(static_cast<long>(output.Frames()), inputFrames_ / 2);
}

// Stop is taken at the next slice in the drain too: a plug-in far slower
// than the sound (1.5 s a call) would otherwise be fed a second of silence,
// 77 calls, after the input's one slice.
TEST_F(ProcessingJobTest, AStopDuringTheDrainEndsItAtTheNextSlice) {
  WriteInput(TestSignals::MusicLike(576, 0));
  JobRunner runner;
  StopAfter("test_very_slow", 2500, runner);  // the input's slice is through, a drain call in hand
  DWORD stopped = GetTickCount();
  runner.WaitUntilIdle();
  EXPECT_EQ(runner.endings, std::vector<JobEnding>{JobEnding::Aborted});
  EXPECT_LT(GetTickCount() - stopped, 10000u) << "the drain went on";
  EXPECT_TRUE(TestMp3::Read(output_).ok) << "the stopped file is kept";
}

}  // namespace
