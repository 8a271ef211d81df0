// Many files at once, through the real mp3vellumtone.exe: dropped or chosen
// together, converted into one folder with one question up front and one
// summary at the end.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "AppDriver.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestMp3.h"
#include "TestSignals.h"
#include "resources/resource.h"

namespace {

using TestSignals::kRate;

std::string Narrow(const std::wstring& text) {
  int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(size > 0 ? size - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &narrow[0], size, nullptr, nullptr);
  return narrow;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A folder of the test's own folder, made fresh.
std::wstring Folder(const std::wstring& name) {
  std::wstring path = Here(name);
  TestFiles::RemoveTree(path);
  CreateDirectoryW(path.c_str(), nullptr);
  return path;
}

// `seconds` of music at `path` (any name: written under a plain one first),
// tagged with a title and, where not 0, disc and track numbers.
std::wstring MakeSong(const std::wstring& path, int seconds, const std::string& title = "",
                      int disc = 0, int track = 0) {
  std::wstring plain = Here(L"song-being-made.mp3");
  EXPECT_TRUE(TestMp3::Write(Narrow(plain), TestSignals::MusicLike(seconds * kRate, 0), kRate, 2));
  if (!title.empty()) {
    EXPECT_TRUE(TestMp3::Tag(plain, title, disc, track));
  }
  EXPECT_TRUE(MoveFileExW(plain.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
  return path;
}

size_t FramesOf(const std::wstring& path) {
  return TestMp3::Read(Narrow(path)).Frames();
}

class BatchTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(app_.Launch()); }

  void TearDown() override {
    if (!app_.IsRunning()) return;
    app_.Close();
    EXPECT_EQ(app_.WaitForExit(), 0u);
  }

  void ChooseFolder(const std::wstring& folder) {
    ASSERT_TRUE(app_.Choose(IDC_OUTPUT_BROWSE, L"Choose Output Folder", folder)) << Narrow(folder);
    EXPECT_EQ(app_.Text(IDC_OUTPUT_TEXT), folder);
  }

  void Drop(const std::vector<std::wstring>& paths, const std::wstring& expectedInputText) {
    ASSERT_TRUE(app_.Drop(paths));
    for (int waited = 0; waited < 20000 && app_.Text(IDC_INPUT_TEXT) != expectedInputText;
         waited += 50) {
      Sleep(50);
    }
    EXPECT_EQ(app_.Text(IDC_INPUT_TEXT), expectedInputText);
  }

  void ExpectSummary(const std::wstring& text, const wchar_t* caption, LPCWSTR icon) {
    MessageBoxSeen seen = app_.AnswerMessageBox(120000);
    ASSERT_TRUE(seen.found) << "no summary";
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.caption, caption);
    EXPECT_EQ(seen.icon, icon);
  }

  // Waits until the status line names input `number` of the batch.
  void WaitForFile(const std::wstring& number) {
    for (int waited = 0; waited < 60000; waited += 20) {
      if (app_.Text(IDC_STATUS).compare(0, number.size(), number) == 0) return;
      Sleep(20);
    }
    ADD_FAILURE() << "the batch never reached " << Narrow(number);
  }

  AppDriver app_;
};

// Untagged files go by name in natural order; a folder's files, found in its
// sub-folders too, by their tags' disc and track numbers. Two inputs of one
// name get two outputs, each with its own tags; a dropped library becomes
// the plug-in.
TEST_F(BatchTest, DropsGoInAlbumOrderAndEveryFileKeepsItsTags) {
  std::wstring loose = Folder(L"loose");
  Drop({MakeSong(loose + L"\\10 Ten.mp3", 1), MakeSong(loose + L"\\2 Two.mp3", 1),
        MakeSong(loose + L"\\1 One.mp3", 1)},
       L"3 files: 1 One.mp3, 2 Two.mp3, 10 Ten.mp3");

  std::wstring album = Folder(L"album");
  CreateDirectoryW((album + L"\\cd1").c_str(), nullptr);
  CreateDirectoryW((album + L"\\cd2").c_str(), nullptr);
  MakeSong(album + L"\\cd2\\01 Song.mp3", 1, "Second disc", 2, 1);
  MakeSong(album + L"\\cd1\\02 Other.mp3", 1, "Other", 1, 2);
  MakeSong(album + L"\\cd1\\01 Song.mp3", 1, "First", 1, 1);
  Drop({album}, L"3 files: 01 Song.mp3, 02 Other.mp3, 01 Song.mp3");

  ASSERT_TRUE(app_.Drop({PluginPath("test_swap")}));
  for (int waited = 0; waited < 20000 && app_.Text(IDC_DSP_TEXT).empty(); waited += 50) Sleep(50);
  EXPECT_EQ(app_.Text(IDC_DSP_TEXT), L"Vellumtone test: swap channels");
  EXPECT_EQ(app_.Text(IDC_INPUT_TEXT), L"3 files: 01 Song.mp3, 02 Other.mp3, 01 Song.mp3");

  std::wstring out = Folder(L"out");
  ChooseFolder(out);
  app_.Click(IDC_CONVERT);
  ExpectSummary(L"3 of 3 files were converted into:\n" + out, L"Conversion Success!",
                IDI_INFORMATION);
  EXPECT_EQ(TestMp3::Title(out + L"\\01 Song.mp3"), "First");
  EXPECT_EQ(TestMp3::Title(out + L"\\02 Other.mp3"), "Other");
  EXPECT_EQ(TestMp3::Title(out + L"\\01 Song (2).mp3"), "Second disc");
  EXPECT_NEAR(static_cast<long>(FramesOf(out + L"\\01 Song (2).mp3")), kRate, 1152);
  EXPECT_EQ(TestFiles::TemporaryOutputs(out), 0);
}

// What cannot be converted is named with its reason and the others go on;
// names outside the ANSI code page included.
TEST_F(BatchTest, AMultiSelectConvertsAroundAFileItCannotUse) {
  std::wstring in = Folder(L"in \u03a9");
  MakeSong(in + L"\\01 \u03a9mega \u00fc.mp3", 1);
  TestFiles::WriteAll(in + L"\\02 Broken.mp3", std::string(5000, '\x5a'));
  MakeSong(in + L"\\03 Three.mp3", 1);
  // The first Browse opens the folder; the second picks three files in it.
  ASSERT_TRUE(app_.Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", in + L"\\03 Three.mp3"));
  EXPECT_EQ(app_.Text(IDC_INPUT_TEXT), in + L"\\03 Three.mp3") << "one file is a single input";
  ASSERT_TRUE(app_.Choose(IDC_INPUT_BROWSE, L"Open MP3 File...",
                          L"\"03 Three.mp3\" \"01 \u03a9mega \u00fc.mp3\" \"02 Broken.mp3\""));
  EXPECT_EQ(app_.Text(IDC_INPUT_TEXT),
            L"3 files: 01 \u03a9mega \u00fc.mp3, 02 Broken.mp3, 03 Three.mp3");

  std::wstring out = Folder(L"out \u00fc");
  ChooseFolder(out);
  app_.Click(IDC_CONVERT);
  ExpectSummary(L"2 of 3 files were converted into:\n" + out +
                    L"\n\nSkipped:\n02 Broken.mp3: it is not an MP3 file",
                L"Conversion Finished", IDI_WARNING);
  EXPECT_NEAR(static_cast<long>(FramesOf(out + L"\\01 \u03a9mega \u00fc.mp3")), kRate, 1152);
  EXPECT_NEAR(static_cast<long>(FramesOf(out + L"\\03 Three.mp3")), kRate, 1152);
  EXPECT_FALSE(Exists(out + L"\\02 Broken.mp3"));
}

// An input is never its own output; outputs that exist get one question,
// and each answer does what it says.
TEST_F(BatchTest, ExistingOutputsAreAskedAboutOnceBeforeTheStart) {
  std::wstring in = Folder(L"in");
  std::vector<std::wstring> songs = {MakeSong(in + L"\\A.mp3", 1), MakeSong(in + L"\\B.mp3", 1),
                                     MakeSong(in + L"\\C.mp3", 1)};
  Drop(songs, L"3 files: A.mp3, B.mp3, C.mp3");
  ChooseFolder(in);
  app_.Click(IDC_CONVERT);
  ExpectSummary(L"0 of 3 files were converted into:\n" + in +
                    L"\n\nSkipped:\nA.mp3: its output would replace an input file: A.mp3\nB.mp3: "
                    L"its output would replace an input file: B.mp3\nC.mp3: its output would "
                    L"replace an input file: C.mp3",
                L"Conversion Finished", IDI_ERROR);
  for (const std::wstring& song : songs) EXPECT_NEAR(static_cast<long>(FramesOf(song)), kRate, 1152);

  std::wstring out = Folder(L"out");
  TestFiles::WriteAll(out + L"\\A.mp3", "the user's own A");
  TestFiles::WriteAll(out + L"\\B.mp3", "the user's own B");
  ChooseFolder(out);
  app_.Click(IDC_CONVERT);
  MessageBoxSeen question = app_.AnswerDialog(L"Confirm Replace", IDCANCEL);
  ASSERT_TRUE(question.found);
  EXPECT_NE(question.text.find(L"2 of the 3 output files exist already:\nA.mp3\nB.mp3"),
            std::wstring::npos)
      << Narrow(question.text);
  Sleep(500);
  EXPECT_EQ(app_.FindMessageBox(), nullptr) << "Cancel starts nothing";
  EXPECT_FALSE(Exists(out + L"\\C.mp3"));

  app_.Click(IDC_CONVERT);
  ASSERT_TRUE(app_.AnswerDialog(L"Confirm Replace", 101).found);  // Skip those
  ExpectSummary(L"1 of 3 files were converted into:\n" + out +
                    L"\n\nSkipped:\nA.mp3: its output exists already\nB.mp3: its output exists "
                    L"already",
                L"Conversion Finished", IDI_WARNING);
  EXPECT_EQ(TestFiles::ReadAll(out + L"\\A.mp3"), "the user's own A");
  EXPECT_NEAR(static_cast<long>(FramesOf(out + L"\\C.mp3")), kRate, 1152);

  app_.Click(IDC_CONVERT);
  ASSERT_TRUE(app_.AnswerDialog(L"Confirm Replace", 100).found);  // Replace
  ExpectSummary(L"3 of 3 files were converted into:\n" + out, L"Conversion Success!",
                IDI_INFORMATION);
  EXPECT_NEAR(static_cast<long>(FramesOf(out + L"\\A.mp3")), kRate, 1152);
  EXPECT_NEAR(static_cast<long>(FramesOf(out + L"\\B.mp3")), kRate, 1152);
}

// Stop in the second file: the first is kept, the second removed, the rest
// not reached. A drop meanwhile changes nothing and says why.
TEST_F(BatchTest, StopInTheSecondFileKeepsTheFirstAndRemovesTheSecond) {
  std::wstring in = Folder(L"in");
  Drop({MakeSong(in + L"\\1.mp3", 1), MakeSong(in + L"\\2.mp3", 20), MakeSong(in + L"\\3.mp3", 1)},
       L"3 files: 1.mp3, 2.mp3, 3.mp3");
  ASSERT_TRUE(app_.Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin", PluginPath("test_slow")));
  std::wstring out = Folder(L"out");
  ChooseFolder(out);
  app_.Click(IDC_CONVERT);
  WaitForFile(L"2 of 3: 2.mp3");
  CreateDirectoryW(BuildPath(VT_SCREENSHOTS).c_str(), nullptr);
  EXPECT_TRUE(app_.SaveScreenshot(BuildPath(VT_SCREENSHOTS "/batch.bmp")));
  ASSERT_TRUE(app_.Drop({in + L"\\1.mp3"}));
  MessageBoxSeen refused = app_.AnswerMessageBox();
  EXPECT_EQ(refused.text, L"Files cannot be added while a preview or conversion runs. Stop it "
                          L"first, then drop them again.");
  EXPECT_EQ(app_.Text(IDC_INPUT_TEXT), L"3 files: 1.mp3, 2.mp3, 3.mp3");
  app_.Click(IDC_CONVERT);  // reads "Stop"
  ExpectSummary(L"1 of 3 files were converted into:\n" + out +
                    L"\n\nStopped before the end.\n\nFailed:\n2.mp3: stopped during this file; "
                    L"its unfinished output was removed\n\nNot reached:\n3.mp3",
                L"Conversion Aborted!", IDI_INFORMATION);
  EXPECT_NEAR(static_cast<long>(FramesOf(out + L"\\1.mp3")), kRate, 1152);
  EXPECT_FALSE(Exists(out + L"\\2.mp3"));
  EXPECT_FALSE(Exists(out + L"\\3.mp3"));
  EXPECT_EQ(TestFiles::TemporaryOutputs(out), 0);
  EXPECT_EQ(app_.Text(IDC_CONVERT), L"Convert");
}

// A plug-in that faults in the second file ends the batch; the window then
// converts again without it.
TEST_F(BatchTest, APluginFaultEndsTheBatchAndTheWindowGoesOn) {
  std::wstring in = Folder(L"in");
  Drop({MakeSong(in + L"\\1.mp3", 3), MakeSong(in + L"\\2.mp3", 3), MakeSong(in + L"\\3.mp3", 3)},
       L"3 files: 1.mp3, 2.mp3, 3.mp3");
  ASSERT_TRUE(
      app_.Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin", PluginPath("test_fault_later")));
  std::wstring out = Folder(L"out");
  ChooseFolder(out);
  app_.Click(IDC_CONVERT);
  MessageBoxSeen crash = app_.AnswerMessageBox(120000);
  EXPECT_EQ(crash.text, L"The DSP plug-in crashed and was unloaded: Vellumtone test: fault 5.");
  ExpectSummary(L"1 of 3 files were converted into:\n" + out +
                    L"\n\nThe DSP plug-in crashed, which ended the batch.\n\nFailed:\n2.mp3: the "
                    L"DSP plug-in crashed during this file\n\nNot reached:\n3.mp3",
                L"Conversion Finished", IDI_WARNING);
  EXPECT_TRUE(Exists(out + L"\\1.mp3"));
  EXPECT_FALSE(Exists(out + L"\\2.mp3"));
  EXPECT_EQ(TestFiles::TemporaryOutputs(out), 0);

  app_.Click(IDC_CONVERT);
  MessageBoxSeen unloaded = app_.AnswerMessageBox();
  EXPECT_EQ(unloaded.caption, L"Oops!");
  app_.Click(IDC_CONVERT);
  ASSERT_TRUE(app_.AnswerDialog(L"Confirm Replace", 100).found);
  ExpectSummary(L"3 of 3 files were converted into:\n" + out, L"Conversion Success!",
                IDI_INFORMATION);
}

// Several inputs play in their order, each to its end; Stop ends them all.
TEST_F(BatchTest, APreviewPlaysTheFilesInTurnAndStopEndsThemAll) {
  if (TestEnvironment::CapturePath().empty()) GTEST_SKIP() << "no capture of the sound server";
  std::wstring in = Folder(L"in");
  Drop({MakeSong(in + L"\\b.mp3", 1), MakeSong(in + L"\\a.mp3", 1)}, L"2 files: a.mp3, b.mp3");
  app_.Click(IDC_PLAY);
  WaitForFile(L"1 of 2: a.mp3");
  WaitForFile(L"2 of 2: b.mp3");
  for (int waited = 0; waited < 20000 && app_.IsEnabled(IDC_STOP); waited += 50) Sleep(50);
  EXPECT_TRUE(app_.IsEnabled(IDC_PLAY));
  EXPECT_EQ(app_.Text(IDC_STATUS), L"");
  EXPECT_EQ(app_.FindMessageBox(), nullptr) << "a preview that played everything says nothing";

  Drop({MakeSong(in + L"\\z.mp3", 1), MakeSong(in + L"\\long.mp3", 20)},
       L"2 files: long.mp3, z.mp3");
  app_.Click(IDC_PLAY);
  WaitForFile(L"1 of 2: long.mp3");
  app_.Click(IDC_STOP);
  for (int waited = 0; waited < 20000 && app_.IsEnabled(IDC_STOP); waited += 50) Sleep(50);
  EXPECT_TRUE(app_.IsEnabled(IDC_PLAY));
  EXPECT_EQ(app_.FindMessageBox(), nullptr);
}

}  // namespace
