#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <thread>

#include "DspPluginHost.h"
#include "JobTestSupport.h"
#include "RecorderLog.h"

namespace {

// Keeps the recording plug-in loaded, so its log outlives the host's use.
class DspPluginHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    keep_ = LoadLibraryW(PluginPath("test_recorder").c_str());
    ASSERT_NE(keep_, nullptr);
    log_ = reinterpret_cast<RecorderLogFunction>(
        reinterpret_cast<void*>(GetProcAddress(keep_, "RecorderLog")))();
    *log_ = RecorderLog{};
  }
  void TearDown() override { FreeLibrary(keep_); }

  HMODULE keep_ = nullptr;
  RecorderLog* log_ = nullptr;
  HWND parent_ = reinterpret_cast<HWND>(0x1234);
};

TEST_F(DspPluginHostTest, LoadsModuleZeroAndInitialisesItWithItsHandles) {
  DspPluginHost host;
  EXPECT_EQ(host.GetModule(), nullptr);
  host.Configure();  // nothing to configure: nothing happens
  ASSERT_TRUE(host.Load(PluginPath("test_recorder").c_str(), parent_));
  ASSERT_NE(host.GetModule(), nullptr);
  EXPECT_STREQ(static_cast<const wchar_t*>(host.GetDescription()), L"Vellumtone test: recorder");
  EXPECT_EQ(log_->inits, 1);
  EXPECT_EQ(log_->parentAtInit, parent_);
  EXPECT_EQ(log_->instanceAtInit, keep_);
  host.Configure();
  EXPECT_EQ(log_->configs, 1);
  host.Unload();
  EXPECT_EQ(log_->quits, 1);
  EXPECT_EQ(host.GetModule(), nullptr);
}

TEST_F(DspPluginHostTest, AnInvalidChoiceIsReportedAndLeavesNoModule) {
  for (const char* invalid : {"test_noexport", "test_nullmodule", "no_such_plugin"}) {
    DspPluginHost host;
    ASSERT_TRUE(host.Load(PluginPath("test_recorder").c_str(), nullptr));
    int quitsBefore = log_->quits;
    EXPECT_EQ(host.Open(PluginPath(invalid).c_str(), nullptr), DspPluginHost::Outcome::Invalid)
        << invalid;
    EXPECT_EQ(log_->quits, quitsBefore + 1) << "the old module was quit first";
    EXPECT_EQ(host.GetModule(), nullptr);
    EXPECT_TRUE(host.GetFilePath().IsEmpty());
    EXPECT_TRUE(host.GetDescription().IsEmpty());
  }
}

TEST_F(DspPluginHostTest, TheExampleEffectLoads) {
  DspPluginHost host;
  ASSERT_TRUE(host.Load(PluginPath("vellumtone_gain").c_str(), parent_));
  EXPECT_STREQ(static_cast<const wchar_t*>(host.GetDescription()), L"Vellumtone Gain");
  short block[4] = {1000, -1000, 32767, -32768};
  EXPECT_EQ(host.GetModule()->ModifySamples(host.GetModule(), block, 2, 16, 2, 44100), 2);
  EXPECT_EQ(block[0], 1000) << "100 % by default";
}

// The example effect's settings window, used as a user would: the gain
// slider moved to 150 %, the label following, OK.
TEST_F(DspPluginHostTest, TheExampleEffectsSettingsWindowSetsItsGain) {
  DspPluginHost host;
  ASSERT_TRUE(host.Load(PluginPath("vellumtone_gain").c_str(), nullptr));
  std::wstring label;
  std::thread user([&label] {
    HWND dialog = nullptr;
    for (int waited = 0; waited < 20000 && !(dialog && IsWindowVisible(dialog)); waited += 50) {
      Sleep(50);
      dialog = FindWindowW(L"#32770", L"Vellumtone Gain");
    }
    if (!dialog) return;
    HWND slider = FindWindowExW(dialog, nullptr, TRACKBAR_CLASSW, nullptr);
    SendMessageW(slider, TBM_SETPOS, TRUE, 150);
    SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 150),
                 reinterpret_cast<LPARAM>(slider));
    wchar_t text[64] = {};
    HWND labelWindow = FindWindowExW(dialog, nullptr, L"Static", nullptr);
    GetWindowTextW(labelWindow, text, 64);
    label = text;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  host.Configure();  // returns when the user closes the window
  user.join();
  EXPECT_EQ(label, L"Gain: 150%");
  short block[4] = {1000, -1000, 30000, -30000};
  host.GetModule()->ModifySamples(host.GetModule(), block, 2, 16, 2, 44100);
  EXPECT_EQ(block[0], 1500);
  EXPECT_EQ(block[1], -1500);
  EXPECT_EQ(block[2], 32767) << "clamped";
  EXPECT_EQ(block[3], -32768);
}

}  // namespace
