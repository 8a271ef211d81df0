// The real mp3vellumtone.exe, worked from outside as a user works it.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "AppDriver.h"
#include "CaptureReader.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestFolderListener.h"
#include "DialogUser.h"
#include "TestMp3.h"
#include "TestSignals.h"
#include "resources/resource.h"

namespace {

using TestSignals::kRate;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The test inputs, each made in the test's own folder when it first asks.
void MakeInput(const std::wstring& name) {
  std::string file(name.begin(), name.end());
  if (name == L"e2e_input.mp3") {
    TestMp3::Write(file, TestSignals::MusicLike(3 * kRate, kRate / 10), kRate, 2);
  } else if (name == L"e2e_long.mp3") {
    TestMp3::Write(file, TestSignals::MusicLike(20 * kRate, 0), kRate, 2);
  } else if (name == L"e2e_covered.mp3") {
    TestMp3::Write(file, TestSignals::MusicLike(3 * kRate, 0), kRate, 2);
    TestMp3::AddCover(file, 400 * 1024);
  } else if (name == L"e2e_mono.mp3") {
    TestMp3::Write(file, TestSignals::Silence(kRate / 2), kRate, 1);
  } else if (name == L"e2e_48k.mp3") {
    TestMp3::Write(file, TestSignals::MusicLike(48000, 0), 48000, 2);
  } else if (name == L"e2e_22k.mp3") {
    TestMp3::Write(file, TestSignals::MusicLike(22050, 0), 22050, 2);
  } else if (name == L"e2e_preview.mp3") {
    std::vector<int16_t> tone = TestSignals::ToneIn(0, 6 * kRate, 440, 16000);
    std::vector<int16_t> pcm = TestSignals::Silence(kRate / 5);
    pcm.insert(pcm.end(), tone.begin(), tone.end());
    TestMp3::Write(file, pcm, kRate, 2);
  } else if (name == L"e2e_empty.mp3") {
    TestFiles::WriteAll(name, "");
  } else if (name == L"e2e_garbage.mp3") {
    std::string garbage;
    for (int i = 0; i < 5000; ++i) garbage.push_back(static_cast<char>((i * 7919) % 251));
    TestFiles::WriteAll(name, garbage);
  }
}

std::wstring Input(const wchar_t* name) {
  std::wstring path = Here(name);
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) MakeInput(name);
  return path;
}

class AppEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(app_.Launch()); }

  void TearDown() override {
    if (!app_.IsRunning()) return;
    app_.Close();
    EXPECT_EQ(app_.WaitForExit(), 0u);
  }

  // Browse, type the path into the file dialog, OK.
  void Choose(int browseId, const wchar_t* title, const std::wstring& path) {
    ASSERT_TRUE(app_.Choose(browseId, title, path)) << Narrow(path);
  }

  void ExpectMessage(const wchar_t* text, const wchar_t* caption, LPCWSTR icon) {
    MessageBoxSeen seen = app_.AnswerMessageBox();
    ASSERT_TRUE(seen.found) << "no message box for " << Narrow(text);
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.caption, caption);
    EXPECT_EQ(seen.icon, icon) << Narrow(text);
  }

  void Screenshot(const char* name) {
    CreateDirectoryW(BuildPath(VT_SCREENSHOTS).c_str(), nullptr);
    std::string path = std::string(VT_SCREENSHOTS) + "/" + name + ".bmp";
    EXPECT_TRUE(app_.SaveScreenshot(BuildPath(path.c_str())));
  }

  AppDriver app_;
};

TEST_F(AppEndToEndTest, StartsIdleAndClosesWithExitCodeZero) {
  EXPECT_EQ(app_.Selection(IDC_BIT_RATE), 3);
  EXPECT_EQ(app_.Selection(IDC_QUALITY), 5);
  EXPECT_EQ(SendMessageW(app_.Control(IDC_VOLUME), TBM_GETPOS, 0, 0), 50);
  EXPECT_EQ(SendMessageW(app_.Control(IDC_VOLUME), TBM_GETRANGEMIN, 0, 0), 0);
  EXPECT_EQ(SendMessageW(app_.Control(IDC_VOLUME), TBM_GETRANGEMAX, 0, 0), 100);
  EXPECT_EQ(SendMessageW(app_.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0), 0);
  EXPECT_FALSE(app_.IsEnabled(IDC_STOP));
  EXPECT_TRUE(app_.IsEnabled(IDC_PLAY));
  EXPECT_TRUE(app_.Text(IDC_INPUT_TEXT).empty());
  EXPECT_TRUE(app_.Text(IDC_DSP_TEXT).empty());
  EXPECT_TRUE(app_.Text(IDC_OUTPUT_TEXT).empty());
  EXPECT_EQ(app_.Text(IDC_CONVERT), L"Convert");
  Screenshot("idle");

  app_.Click(IDC_ABOUT);
  ExpectMessage(L"MP3 Vellumtone v" VT_WIDE_SHORT_VERSION L"\n\n\nCreated with QZR Framework v0.2.4",
                L"About", IDI_INFORMATION);
  app_.Close();
  EXPECT_EQ(app_.WaitForExit(), 0u);
}

TEST_F(AppEndToEndTest, IgnoresCommandLineArguments) {
  AppDriver other;
  ASSERT_TRUE(other.Launch(L"--no-such-option \"C:\\some file.mp3\" 42"));
  other.Close();
  EXPECT_EQ(other.WaitForExit(), 0u);
}

TEST_F(AppEndToEndTest, RefusesToStartWithoutFiles) {
  app_.Click(IDC_PLAY);
  ExpectMessage(L"Input file is empty!", L"Oops!", IDI_WARNING);
  app_.Click(IDC_CONVERT);
  ExpectMessage(L"Input file is empty!", L"Oops!", IDI_WARNING);
  Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(L"e2e_input.mp3"));
  EXPECT_EQ(app_.Text(IDC_INPUT_TEXT), Here(L"e2e_input.mp3"));
  app_.Click(IDC_CONVERT);
  ExpectMessage(L"Output file is empty!", L"Oops!", IDI_WARNING);
}

TEST_F(AppEndToEndTest, RefusesInputsItCannotUse) {
  struct Case {
    const wchar_t* file;
    const wchar_t* text;
    const wchar_t* caption;
    LPCWSTR icon;
  } cases[] = {
      {L"e2e_garbage.mp3", L"Cannot open file!", L"Error", IDI_ERROR},
      {L"e2e_empty.mp3", L"Cannot open file!", L"Error", IDI_ERROR},
      {L"e2e_mono.mp3", L"Only support stereo MP3 files!", L"Oops!", IDI_WARNING},
      {L"e2e_48k.mp3", L"Only support 44100Hz sample rate MP3 files!", L"Oops!", IDI_WARNING},
      {L"e2e_22k.mp3", L"Only support 44100Hz sample rate MP3 files!", L"Oops!", IDI_WARNING},
  };
  for (const Case& c : cases) {
    Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(c.file));
    app_.Click(IDC_PLAY);
    ExpectMessage(c.text, c.caption, c.icon);
    EXPECT_TRUE(app_.IsEnabled(IDC_PLAY)) << "still idle";
  }
}

TEST_F(AppEndToEndTest, RefusesTheInputAsItsOwnOutput) {
  Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(L"e2e_input.mp3"));
  Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(L"E2E_INPUT.mp3"));
  app_.AnswerMessageBox(20000, IDYES);  // it exists: replace it?
  app_.Click(IDC_CONVERT);
  MessageBoxSeen seen = app_.AnswerMessageBox();
  EXPECT_EQ(seen.caption, L"Oops!");
  EXPECT_EQ(seen.icon, IDI_WARNING);
  EXPECT_TRUE(TestMp3::Read("e2e_input.mp3").ok) << "the input is intact";
}

TEST_F(AppEndToEndTest, ConvertsAtTheChosenSettings) {
  Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(L"e2e_input.mp3"));
  DeleteFileW(Here(L"e2e_output.mp3").c_str());
  Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(L"e2e_output"));
  EXPECT_EQ(app_.Text(IDC_OUTPUT_TEXT), Here(L"e2e_output.mp3")) << "\".mp3\" was added";
  app_.Pick(IDC_BIT_RATE, 1);
  app_.Pick(IDC_QUALITY, 2);
  EXPECT_EQ(app_.Selection(IDC_BIT_RATE), 1);
  EXPECT_EQ(app_.Selection(IDC_QUALITY), 2);

  app_.Click(IDC_CONVERT);
  Sleep(300);  // the end display pauses a second before it restores the controls
  EXPECT_EQ(app_.Text(IDC_CONVERT), L"Stop");
  for (int id : {IDC_INPUT_BROWSE, IDC_DSP_BROWSE, IDC_DSP_CONFIGURE, IDC_PLAY, IDC_STOP,
                 IDC_OUTPUT_BROWSE, IDC_BIT_RATE, IDC_QUALITY}) {
    EXPECT_FALSE(app_.IsEnabled(id)) << id;
  }
  EXPECT_TRUE(app_.IsEnabled(IDC_CONVERT));
  Screenshot("converting");
  ExpectMessage(L"Conversion Success!", L"Success", IDI_INFORMATION);
  EXPECT_EQ(app_.Text(IDC_CONVERT), L"Convert");
  EXPECT_EQ(SendMessageW(app_.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0), 100);

  TestMp3::Decoded output = TestMp3::Read("e2e_output.mp3");
  ASSERT_TRUE(output.ok);
  EXPECT_NEAR(static_cast<long>(output.Frames()), 3 * kRate, 1152);
  FILE* file = std::fopen("e2e_output.mp3", "rb");
  std::fseek(file, 0, SEEK_END);
  long bytes = std::ftell(file);
  std::fclose(file);
  EXPECT_NEAR(bytes, 3 * 128000 / 8, 6000) << "128 kbit/s";
}

TEST_F(AppEndToEndTest, AStoppedConversionKeepsItsPartAndTheCloseWaitsForIt) {
  Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(L"e2e_long.mp3"));
  DeleteFileW(Here(L"e2e_stopped.mp3").c_str());
  Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(L"e2e_stopped.mp3"));
  Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin", PluginPath("test_slow"));
  EXPECT_EQ(app_.Text(IDC_DSP_TEXT), L"Vellumtone test: slow");

  app_.Click(IDC_CONVERT);
  Sleep(500);
  app_.Close();
  Sleep(500);
  EXPECT_TRUE(app_.IsRunning()) << "the close is refused while a job runs";
  app_.Click(IDC_CONVERT);  // reads "Stop"
  ExpectMessage(L"Conversion Aborted!", L"Info", IDI_INFORMATION);
  EXPECT_EQ(SendMessageW(app_.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0), 100);
  TestMp3::Decoded output = TestMp3::Read("e2e_stopped.mp3");
  EXPECT_GT(output.Frames(), 0u);
  EXPECT_LT(output.Frames(), static_cast<size_t>(10 * kRate));
}

TEST_F(AppEndToEndTest, EnsuresTheMp3ExtensionCaseSensitively) {
  struct Case {
    const wchar_t* typed;
    const wchar_t* shown;
  } cases[] = {{L"e2e_song", L"e2e_song.mp3"},
               {L"e2e_song.mp3", L"e2e_song.mp3"},
               {L"e2e_song.MP3", L"e2e_song.MP3.mp3"}};
  for (const Case& c : cases) {
    Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(c.typed));
    EXPECT_EQ(app_.Text(IDC_OUTPUT_TEXT), Here(c.shown));
  }
  DialogUser cancelling(L"Save MP3 File...", nullptr);
  app_.Click(IDC_OUTPUT_BROWSE);
  cancelling.Finish();
  Sleep(200);
  EXPECT_EQ(app_.Text(IDC_OUTPUT_TEXT), Here(L"e2e_song.MP3.mp3")) << "a cancel changes nothing";
}

TEST_F(AppEndToEndTest, RefusesAnOutputThatCannotBeCreated) {
  Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(L"e2e_input.mp3"));
  CreateDirectoryW(Here(L"e2e_gone").c_str(), nullptr);
  Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(L"e2e_gone\\out.mp3"));
  RemoveDirectoryW(Here(L"e2e_gone").c_str());
  app_.Click(IDC_CONVERT);
  ExpectMessage(L"Cannot create output file!", L"Error!", IDI_ERROR);
  EXPECT_EQ(app_.Text(IDC_CONVERT), L"Convert");
  EXPECT_TRUE(app_.IsEnabled(IDC_PLAY));
}

// Under a double-byte ANSI code page (the test command runs this test once
// more under a Japanese locale), a name's narrow form has more characters
// than the name: the extension is checked on the wide name.
TEST_F(AppEndToEndTest, DoubleByteNamesGetTheExtensionOnce) {
  if (GetACP() != 932) GTEST_SKIP() << "not under a double-byte code page";
  for (const wchar_t* typed : {L"e2e_\u65e5\u672c\u8a9e", L"e2e_\u65e5\u672c\u8a9e.mp3"}) {
    Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(typed));
    EXPECT_EQ(app_.Text(IDC_OUTPUT_TEXT), Here(L"e2e_\u65e5\u672c\u8a9e.mp3"));
  }
}

// Names outside the ANSI code page open and are created.
TEST_F(AppEndToEndTest, ConvertsFilesWithNamesOutsideTheAnsiCodePage) {
  std::wstring input = Here(L"e2e_\u041f\u0435\u0441\u043d\u044f.mp3");
  std::wstring output = Here(L"e2e_\u0412\u044b\u0445\u043e\u0434.mp3");
  CopyFileW(Input(L"e2e_input.mp3").c_str(), input.c_str(), FALSE);
  DeleteFileW(output.c_str());
  Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", input);
  Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", output);
  app_.Click(IDC_CONVERT);
  ExpectMessage(L"Conversion Success!", L"Success", IDI_INFORMATION);
  ASSERT_TRUE(CopyFileW(output.c_str(), Here(L"e2e_unicode_copy.mp3").c_str(), FALSE));
  EXPECT_NEAR(static_cast<long>(TestMp3::Read("e2e_unicode_copy.mp3").Frames()), 3 * kRate,
              1152);
}

using TestFiles::ReadAll;
using TestFiles::WriteAll;
using TestFiles::TemporaryOutputs;

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

TEST_F(AppEndToEndTest, AnExistingOutputIsReplacedOnlyAfterYes) {
  std::wstring existing = Here(L"e2e_existing.mp3");
  WriteAll(existing, "the user's own file");
  WriteAll(Here(L"~vellumtone-dead-1.tmp"), "left by a killed conversion");
  Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(L"e2e_input.mp3"));
  Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(L"e2e_first.mp3"));
  for (int answer : {IDNO, IDYES}) {
    Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(L"e2e_existing"));  // ".mp3" added
    MessageBoxSeen question = app_.AnswerMessageBox(20000, answer);
    EXPECT_EQ(question.text, L"e2e_existing.mp3 already exists. Do you want to replace it?");
    EXPECT_EQ(question.icon, IDI_WARNING);
    Sleep(200);
    EXPECT_EQ(app_.Text(IDC_OUTPUT_TEXT), Here(answer == IDYES ? L"e2e_existing.mp3" : L"e2e_first.mp3"));
  }
  app_.Click(IDC_CONVERT);
  ExpectMessage(L"Conversion Success!", L"Success", IDI_INFORMATION);
  EXPECT_NEAR(static_cast<long>(TestMp3::Read("e2e_existing.mp3").Frames()), 3 * kRate, 1152);
  EXPECT_EQ(TemporaryOutputs(FolderOf(existing)), 0) << "a stale one removed, its own moved";
}

std::wstring SystemText(DWORD error) {
  wchar_t text[512] = L"";
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                 text, 512, nullptr);
  std::wstring message = text;
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
  return message.empty() ? L"The specified file is read only." : message;
}

// A full disk: the failure is told, nothing is left under the chosen name,
// and the file that had it is as it was. When the audio fits and only the
// input's cover does not, the audio is placed, and the user told why it
// has no tags.
TEST_F(AppEndToEndTest, AFullDiskFailsTheConversionAndKeepsTheExistingFile) {
  std::string disk = TestEnvironment::SmallDiskPath();
  if (disk.empty()) GTEST_SKIP() << "no small volume (the test command mounts one as root)";
  std::wstring folder = TestFolderListener::FreshFolderIn(std::wstring(disk.begin(), disk.end()));
  std::wstring target = folder + L"\\e2e_full.mp3";
  std::string original(64 * 1024, 'x');
  WriteAll(target, original);
  Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", target);
  app_.AnswerMessageBox(20000, IDYES);
  struct Case {
    const wchar_t* input;
    int bitRatePosition;
  } cases[] = {{L"e2e_long.mp3", 3},   // 800 kB of audio at 320 kbit/s
               {L"e2e_long.mp3", 3}};  // again, after a failure
  for (const Case& c : cases) {
    Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(c.input));
    app_.Pick(IDC_BIT_RATE, c.bitRatePosition);
    app_.Click(IDC_CONVERT);
    ExpectMessage(L"Conversion failed: the output file could not be written (is the disk full?).",
                  L"Error", IDI_ERROR);
    EXPECT_EQ(app_.Text(IDC_CONVERT), L"Convert");
    EXPECT_TRUE(app_.IsEnabled(IDC_PLAY));
    EXPECT_TRUE(ReadAll(target) == original) << "the existing file is untouched";
    EXPECT_EQ(TemporaryOutputs(folder), 0);
  }
  Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(L"e2e_covered.mp3"));
  app_.Pick(IDC_BIT_RATE, 0);  // 24 kB of audio at 64 kbit/s, a 400 kB cover
  app_.Click(IDC_CONVERT);
  ExpectMessage((L"The conversion finished, but the input's tags could not be copied:\n" +
                 SystemText(ERROR_DISK_FULL) + L"\n\nThe converted file was saved without them:\n" +
                 target).c_str(),
                L"Error", IDI_WARNING);
  EXPECT_NEAR(static_cast<long>(TestMp3::Read(Narrow(target).c_str()).Frames()), 3 * kRate, 1152);
  EXPECT_EQ(TemporaryOutputs(folder), 0);
}

// A target that a player holds open (without delete sharing) or that is
// read-only is named, with the system's reason, before anything is encoded.
// One that a player takes while the conversion runs cannot be replaced at
// the end: the finished file is kept beside it, and the user told where.
TEST_F(AppEndToEndTest, AnOutputInUseIsToldAndFinishedWorkIsKept) {
  std::wstring folder = Here(L"e2e_in_use");
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring target = folder + L"\\held.mp3";
  std::wstring kept = folder + L"\\held (converted).mp3";
  DeleteFileW(kept.c_str());
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  WriteAll(target, "the user's own file");
  Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(L"e2e_long.mp3"));
  Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", target);
  app_.AnswerMessageBox(20000, IDYES);
  struct Case {
    DWORD share;       // of the player's handle; 0: none, read-only instead
    DWORD reason;
  } cases[] = {{FILE_SHARE_READ | FILE_SHARE_WRITE, ERROR_SHARING_VIOLATION},
               {0, ERROR_FILE_READ_ONLY}};
  for (const Case& c : cases) {
    HANDLE player = INVALID_HANDLE_VALUE;
    if (c.share) {
      player = CreateFileW(target.c_str(), GENERIC_READ, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
    } else {
      SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    app_.Click(IDC_CONVERT);
    ExpectMessage((L"The output file cannot be replaced:\n" + target + L"\n\n" + SystemText(c.reason) +
                   L"\n\nClose it in the program that uses it, or choose another output file.")
                      .c_str(),
                  L"Oops!", IDI_WARNING);
    EXPECT_EQ(app_.Text(IDC_CONVERT), L"Convert") << "nothing was encoded";
    EXPECT_EQ(TemporaryOutputs(folder), 0);
    if (player != INVALID_HANDLE_VALUE) CloseHandle(player);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin", PluginPath("test_slow"));
  app_.Click(IDC_CONVERT);
  Sleep(1500);
  ASSERT_EQ(app_.Text(IDC_CONVERT), L"Stop") << "still converting";
  HANDLE player = CreateFileW(target.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  MessageBoxSeen seen = app_.AnswerMessageBox(60000);
  std::wstring told = L"The conversion finished, but the output file could not be replaced:\n" +
                      target + L"\n\n";
  std::wstring where = L"\n\nThe converted file was kept as:\n" + kept;
  EXPECT_EQ(seen.text.substr(0, told.size()), told);
  ASSERT_GT(seen.text.size(), told.size() + where.size()) << "with the system's reason between";
  EXPECT_EQ(seen.text.substr(seen.text.size() - where.size()), where);
  EXPECT_EQ(seen.icon, IDI_WARNING);
  CloseHandle(player);
  EXPECT_EQ(ReadAll(target), "the user's own file");
  ASSERT_TRUE(CopyFileW(kept.c_str(), Here(L"e2e_kept_copy.mp3").c_str(), FALSE));
  EXPECT_NEAR(static_cast<long>(TestMp3::Read("e2e_kept_copy.mp3").Frames()), 20 * kRate, 1152);
  EXPECT_EQ(TemporaryOutputs(folder), 0);
}

// A modal box of the program's own closed while a finished conversion's
// result box is up leaves the window usable; Play must wait for the worker.
TEST_F(AppEndToEndTest, AJobWaitsForThePreviousOneToFinishEverything) {
  Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(L"e2e_input.mp3"));
  DeleteFileW(Here(L"e2e_race.mp3").c_str());
  Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(L"e2e_race.mp3"));
  Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin", PluginPath("test_slow"));
  app_.Click(IDC_CONVERT);
  app_.Click(IDC_ABOUT);
  HWND about = WaitForDialog(L"About", 10000);
  ASSERT_NE(about, nullptr);
  HWND result = WaitForDialog(L"Success", 30000);
  ASSERT_NE(result, nullptr) << "the result box comes up over the About box";
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  for (int waited = 0; waited < 5000 && IsWindow(about); waited += 50) Sleep(50);
  ASSERT_TRUE(IsWindowEnabled(app_.Window())) << "the window is usable again";
  app_.Click(IDC_PLAY);
  Sleep(500);
  EXPECT_FALSE(app_.IsEnabled(IDC_STOP)) << "no preview while the conversion's worker is busy";
  PostMessageW(result, WM_COMMAND, IDOK, 0);
  Sleep(500);
  EXPECT_NEAR(static_cast<long>(TestMp3::Read("e2e_race.mp3").Frames()), 3 * kRate, 1152);
}

// Previews play into the test command's sound server.
class AppPreviewTest : public AppEndToEndTest {
 protected:
  void SetUp() override {
    capturePath_ = TestEnvironment::CapturePath();
    if (capturePath_.empty()) GTEST_SKIP() << "no capture of the sound server";
    AppEndToEndTest::SetUp();
    Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Input(L"e2e_preview.mp3"));
  }

  void Slide(WPARAM key) {
    PostMessageW(app_.Control(IDC_VOLUME), WM_KEYDOWN, key, 0);
    Sleep(200);
  }

  // Stop is the last control the end of a preview changes.
  void WaitUntilIdle() {
    for (int waited = 0; waited < 20000 && app_.IsEnabled(IDC_STOP); waited += 50) Sleep(50);
  }

  std::string capturePath_;
};

TEST_F(AppPreviewTest, VolumeZeroIsSilentAndThePreviewEndsIdle) {
  Slide(VK_HOME);
  EXPECT_EQ(SendMessageW(app_.Control(IDC_VOLUME), TBM_GETPOS, 0, 0), 0);
  CaptureReader capture(capturePath_);
  app_.Click(IDC_PLAY);
  Sleep(1000);
  EXPECT_TRUE(app_.IsEnabled(IDC_STOP));
  EXPECT_FALSE(app_.IsEnabled(IDC_PLAY));
  EXPECT_FALSE(app_.IsEnabled(IDC_CONVERT));
  EXPECT_FALSE(app_.IsEnabled(IDC_DSP_BROWSE));
  EXPECT_TRUE(app_.IsEnabled(IDC_DSP_CONFIGURE));
  EXPECT_NE(GetWindowLongW(app_.Control(IDC_PROGRESS), GWL_STYLE) & PBS_MARQUEE, 0);
  Screenshot("preview");
  WaitUntilIdle();
  EXPECT_TRUE(capture.WaitForSound(1, 2000).empty()) << "volume 0 plays silence";
  EXPECT_FALSE(app_.IsEnabled(IDC_STOP));
  EXPECT_EQ(GetWindowLongW(app_.Control(IDC_PROGRESS), GWL_STYLE) & PBS_MARQUEE, 0);
}

TEST_F(AppPreviewTest, TheSliderAndStopActWhileItPlays) {
  Slide(VK_END);
  CaptureReader capture(capturePath_);
  app_.Click(IDC_PLAY);
  ASSERT_TRUE(capture.WaitUntilSoundStarts());
  Sleep(1500);
  Slide(VK_HOME);  // silent from here on
  Sleep(1000);
  app_.Click(IDC_STOP);
  WaitUntilIdle();
  EXPECT_TRUE(app_.IsEnabled(IDC_PLAY));
  EXPECT_FALSE(app_.IsEnabled(IDC_STOP));
  std::vector<int16_t> sound = capture.WaitForSound(kRate / 2, 6000);
  double seconds = sound.size() / 2.0 / kRate;
  EXPECT_GT(seconds, 0.8);
  EXPECT_LT(seconds, 3.5) << "the sound ended when the slider went to 0, not with the input";
}

}  // namespace
