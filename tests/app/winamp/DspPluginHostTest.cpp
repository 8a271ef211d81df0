#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <thread>

#include "DspPluginHost.h"
#include "FpuState.h"
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

// What the thread's floating-point units hold as the program sees them.
struct FpuSeen {
  uint16_t control;
  uint32_t mxcsr;
  uint16_t status;
  uint16_t tag;
};

FpuSeen SeeFpu() {
  struct {
    uint16_t control, unused1, status, unused2, tag, unused3;
    uint32_t pointers[4];
  } environment = {};
  FpuSeen seen = {};
  __asm__ volatile("stmxcsr %0" : "=m"(seen.mxcsr));
  __asm__ volatile("fnstenv %0" : "=m"(environment));
  __asm__ volatile("fldcw %0" : : "m"(environment.control));  // fnstenv masked everything
  seen.control = environment.control;
  seen.status = environment.status;
  seen.tag = environment.tag;
  return seen;
}

// The program's own control word and MXCSR, nothing pending (no exception
// flag, x87 or SSE) and an empty register stack (TOP 0, every tag empty).
void ExpectProgramsFpu(const char* after) {
  FpuSeen seen = SeeFpu();
  EXPECT_EQ(seen.control, FpuState::Host().control) << after;
  EXPECT_EQ(seen.mxcsr, FpuState::Host().mxcsr & ~0x3Fu) << after;
  EXPECT_EQ(seen.status & 0x38FF, 0) << after;
  EXPECT_EQ(seen.tag, 0xFFFF) << after;
}

// The plug-in unmasks every exception, leaves a zero-divide pending and a
// value on the x87 stack in each of its entry points; after each, on the
// thread that called it, the state is the program's own. Under emulation
// unmasked x87 exceptions may never trap, so only this reading tells.
TEST(PluginFpuTest, EveryCallGivesTheThreadBackTheProgramsState) {
  FpuState::Host().Load();
  ExpectProgramsFpu("before");
  DspPluginHost host;
  ASSERT_EQ(host.Open(PluginPath("test_fpu_unmask").c_str(), nullptr),
            DspPluginHost::Outcome::Opened);
  ExpectProgramsFpu("LoadLibrary");
  ASSERT_EQ(host.Use(0), DspPluginHost::Outcome::Loaded);
  ExpectProgramsFpu("Init");
  host.Configure();
  ExpectProgramsFpu("Config");
  std::thread worker([&host] {
    FpuState::Host().Load();
    short block[4] = {};
    winampDSPModule* module = host.GetModule();
    auto call = [&] { module->ModifySamples(module, block, 2, 16, 2, 44100); };
    EXPECT_TRUE(host.Plugin().Run(call));
    ExpectProgramsFpu("ModifySamples");
  });
  worker.join();
  host.Unload();
  ExpectProgramsFpu("Quit and FreeLibrary");
}

}  // namespace
