// The release zip, unpacked into a fresh folder, runs on its own: the
// program starts, takes the example plug-in from its Plugins folder and
// converts.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "AppDriver.h"
#include "TestMp3.h"
#include "TestSignals.h"
#include "resources/resource.h"

namespace {

using TestSignals::kRate;

TEST(ReleaseTest, TheUnpackedProgramConvertsWithItsExamplePlugin) {
  std::wstring folder = BuildPath(VT_UNPACKED_RELEASE);
  ASSERT_TRUE(TestMp3::Write("release_input.mp3", TestSignals::MusicLike(2 * kRate, 0), kRate, 2));
  std::wstring input = Here(L"release_input.mp3"), output = Here(L"release_output.mp3");
  DeleteFileW(output.c_str());

  AppDriver app;
  ASSERT_TRUE(app.Launch(L"", folder + L"\\mp3vellumtone.exe"));
  ASSERT_TRUE(app.Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", input));
  ASSERT_TRUE(app.Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin",
                         folder + L"\\Plugins\\dsp_vellumtone_gain.dll"));
  EXPECT_FALSE(app.Text(IDC_DSP_TEXT).empty()) << "the example plug-in is loaded";
  ASSERT_TRUE(app.Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", output));
  app.Click(IDC_CONVERT);
  EXPECT_EQ(app.AnswerMessageBox(60000).text, L"Conversion Success!");
  EXPECT_NEAR(static_cast<long>(TestMp3::Read("release_output.mp3").Frames()), 2 * kRate, 1152);
  app.Close();
  EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace
