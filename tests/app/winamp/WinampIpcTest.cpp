#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "JobTestSupport.h"
#include "TestFiles.h"
#include "TestMp3.h"
#include "TestSignals.h"
#include "WinampIpc.h"

namespace {

using TestSignals::kRate;

const char* AnsiAnswer(WinampIpc& ipc, LPARAM code) {
  return reinterpret_cast<const char*>(ipc.Answer(0, code));
}

const wchar_t* WideAnswer(WinampIpc& ipc, LPARAM code) {
  return reinterpret_cast<const wchar_t*>(ipc.Answer(0, code));
}

// The A form opens the same file as the W form, also for a name outside the
// ANSI code page.
void ExpectSameFile(const char* ansi, const wchar_t* wide) {
  ASSERT_TRUE(ansi && wide);
  ASSERT_NE(ansi[0], 0);
  DWORD a = GetFileAttributesA(ansi), w = GetFileAttributesW(wide);
  EXPECT_NE(a, INVALID_FILE_ATTRIBUTES) << ansi;
  EXPECT_EQ(a, w);
}

TEST(WinampIpcTest, AnswersWhatWinampAnswersAboutAJob) {
  JobRunner runner;
  WinampIpc ipc(runner.job);
  EXPECT_EQ(ipc.Answer(0, WinampIpc::kGetVersion), 0x5066);
  EXPECT_EQ(ipc.Answer(0, WinampIpc::kGetApiService), 1);
  EXPECT_EQ(ipc.Answer(0, WinampIpc::kGetListLength), 1);
  EXPECT_EQ(ipc.Answer(7, 99999), 0) << "an unknown query";
  EXPECT_EQ(ipc.Answer(0, WinampIpc::kIsPlaying), 0);
  EXPECT_EQ(ipc.Answer(0, WinampIpc::kGetOutputTime), -1) << "nothing plays";

  ASSERT_TRUE(TestMp3::Write("ipc_in.mp3", TestSignals::Silence(3 * kRate), kRate, 2, 128));
  ASSERT_TRUE(runner.PrepareConversion("ipc_in.mp3", "ipc_out.mp3"));
  EXPECT_EQ(ipc.Answer(1, WinampIpc::kGetOutputTime), 3);
  EXPECT_NEAR(ipc.Answer(2, WinampIpc::kGetOutputTime), 3000, 30);
  EXPECT_EQ(ipc.Answer(0, WinampIpc::kGetInfo), 44);
  EXPECT_EQ(ipc.Answer(1, WinampIpc::kGetInfo), 128);
  EXPECT_EQ(ipc.Answer(2, WinampIpc::kGetInfo), 2);
  EXPECT_EQ(ipc.Answer(5, WinampIpc::kGetInfo), 44100);
  runner.RunToEnd();
  EXPECT_EQ(ipc.Answer(0, WinampIpc::kIsPlaying), 0);
}

TEST(WinampIpcTest, GivesTheSamePathsInBothForms) {
  JobRunner runner;
  WinampIpc ipc(runner.job);
  ExpectSameFile(AnsiAnswer(ipc, WinampIpc::kGetIniDirectory),
                 WideAnswer(ipc, WinampIpc::kGetIniDirectoryW));
  EXPECT_STREQ(
      WideAnswer(ipc, WinampIpc::kGetIniFileW),
      (std::wstring(WideAnswer(ipc, WinampIpc::kGetIniDirectoryW)) + L"\\plugins.ini").c_str());
  EXPECT_TRUE(
      WritePrivateProfileStringA("test", "key", "1", AnsiAnswer(ipc, WinampIpc::kGetIniFile)));

  std::wstring input = TestFiles::FullPath(L"ipc_\u041f\u0435\u0441\u043d\u044f.mp3");
  std::fclose(_wfopen(input.c_str(), L"wb"));
  ipc.SetInputPath(input.c_str());
  EXPECT_STREQ(WideAnswer(ipc, WinampIpc::kGetPlaylistFileW), input.c_str());
  ExpectSameFile(AnsiAnswer(ipc, WinampIpc::kGetPlaylistFile), input.c_str());

  ipc.SetPluginPath(PluginPath("passthrough").c_str());
  std::wstring folder = PluginPath("passthrough");
  folder.resize(folder.find_last_of(L"\\/"));
  EXPECT_EQ(std::wstring(WideAnswer(ipc, WinampIpc::kGetPluginDirectoryW)), folder);
  EXPECT_EQ(WideAnswer(ipc, WinampIpc::kGetDspDirectoryW),
            WideAnswer(ipc, WinampIpc::kGetPluginDirectoryW));
  ExpectSameFile(AnsiAnswer(ipc, WinampIpc::kGetPluginDirectory), folder.c_str());
}

}  // namespace
