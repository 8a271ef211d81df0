// The batch's names and order, decided before anything is encoded.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "BatchPlan.h"
#include "NaturalOrder.h"
#include "ProcessingJob.h"
#include "TestFiles.h"
#include "TestMp3.h"
#include "TestSignals.h"

namespace {

TEST(NaturalOrderTest, NumbersCountAsNumbersAndCaseDoesNotMatter) {
  const wchar_t* ordered[] = {L"1 One.mp3", L"2 two.mp3", L"03 three.mp3",     L"10 Ten.mp3",
                              L"a.mp3",     L"B.mp3",     L"track 9.mp3",      L"Track 10.mp3"};
  for (size_t i = 0; i + 1 < sizeof ordered / sizeof ordered[0]; ++i) {
    EXPECT_TRUE(NaturalOrder::Less(ordered[i], ordered[i + 1]))
        << i << ": " << static_cast<int>(NaturalOrder::Compare(ordered[i], ordered[i + 1]));
    EXPECT_FALSE(NaturalOrder::Less(ordered[i + 1], ordered[i])) << i;
  }
  EXPECT_EQ(NaturalOrder::Compare(L"same.mp3", L"same.mp3"), 0);
  EXPECT_NE(NaturalOrder::Compare(L"Same.mp3", L"same.mp3"), 0) << "still one order";
  EXPECT_TRUE(NaturalOrder::Less(L"disc\\2", L"disc\\10\\1"));
}

// One name for two inputs: " (2)", " (3)", whatever the case; an input
// the chain cannot take claims no name.
TEST(BatchPlanTest, EveryOutputGetsANameOfItsOwn) {
  std::wstring folder = TestFiles::FullPath(L"plan");
  TestFiles::RemoveTree(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  std::vector<KString> inputs;
  for (const wchar_t* sub : {L"a", L"b", L"c", L"d"}) {
    std::wstring dir = folder + L"\\" + sub;
    CreateDirectoryW(dir.c_str(), nullptr);
    std::wstring path = dir + (sub[0] == L'b' ? L"\\SONG.mp3" : L"\\song.mp3");
    std::string narrow(path.begin(), path.end());
    if (sub[0] == L'c') {
      TestFiles::WriteAll(path, "no audio here");
    } else {
      ASSERT_TRUE(TestMp3::Write(narrow, TestSignals::Silence(4410), TestSignals::kRate, 2));
    }
    inputs.push_back(KString(path.c_str()));
  }
  std::wstring out = folder + L"\\out";
  CreateDirectoryW(out.c_str(), nullptr);
  ProcessingJob job;
  ASSERT_TRUE(job.SetUp());
  BatchPlan plan;
  plan.SetInputs(inputs);
  plan.Check(job, KString(out.c_str()), nullptr);
  const std::vector<BatchItem>& items = plan.Items();
  ASSERT_EQ(items.size(), 4u);
  EXPECT_EQ(std::wstring(items[0].output), out + L"\\song.mp3");
  EXPECT_EQ(std::wstring(items[1].output), out + L"\\SONG (2).mp3");
  EXPECT_EQ(items[2].outcome, BatchOutcome::Skipped);
  EXPECT_EQ(std::wstring(items[2].reason), L"it is not an MP3 file");
  EXPECT_EQ(std::wstring(items[3].output), out + L"\\song (3).mp3");
  EXPECT_GT(items[3].length, 0);
  EXPECT_EQ(plan.PendingCount(), 3u);
  EXPECT_TRUE(plan.ExistingOutputs().empty());
  EXPECT_EQ(std::wstring(plan.Describe()), L"4 files: song.mp3, SONG.mp3, song.mp3, \u2026");
}

}  // namespace
