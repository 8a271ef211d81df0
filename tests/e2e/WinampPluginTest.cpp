// The real mp3vellumtone.exe with plug-ins that behave as real Winamp
// plug-ins do. Lengths are checked here; where the bursts of each output
// begin, and their levels, by Debian's own decoder on the Linux side
// (winamp_plugin_outputs.py).
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <string>

#include "AppDriver.h"
#include "DialogUser.h"
#include "TestEnvironment.h"
#include "TestFiles.h"
#include "TestMp3.h"
#include "TestSignals.h"
#include "resources/resource.h"

namespace {

using TestSignals::kRate;
constexpr long kInputFrames = 6 * kRate;
constexpr long kMp3Frame = 1152;

std::wstring Wide(const char* text) { return std::wstring(text, text + strlen(text)); }

long FramesOf(const char* name) { return static_cast<long>(TestMp3::Read(name).Frames()); }

// The INI file that the program gives plug-ins, in its per-user folder.
std::wstring ProgramIniFile() {
  wchar_t folder[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
  return std::wstring(folder) + L"\\MP3 Vellumtone\\plugins.ini";
}

struct FrameSearch {
  DWORD process;
  HWND owner;
  HWND found;
};

// A visible frame of the process, owned by the main window, holding the
// embedded plug-in's window.
BOOL CALLBACK IsEmbeddingFrame(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<FrameSearch*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != search->process || !IsWindowVisible(window)) return TRUE;
  if (GetWindow(window, GW_OWNER) != search->owner) return TRUE;
  if (!FindWindowExW(window, nullptr, L"STATIC", L"Vellumtone embedded")) return TRUE;
  search->found = window;
  return FALSE;
}

struct WindowCount {
  DWORD process;
  HWND known[2];
  int found;
};

BOOL CALLBACK CountOthers(HWND window, LPARAM parameter) {
  auto* count = reinterpret_cast<WindowCount*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == count->process && IsWindowVisible(window) && window != count->known[0] &&
      window != count->known[1]) {
    ++count->found;
  }
  return TRUE;
}

class WinampPluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TestMp3::Write("wa_bursts.mp3",
                   TestSignals::Bursts(kInputFrames, kRate / 2, kRate / 20, kRate / 4), kRate, 2);
    Launch();
  }

  void TearDown() override {
    if (!app_.IsRunning()) return;
    app_.Close();
    EXPECT_EQ(app_.WaitForExit(), 0u) << "the close is clean";
  }

  void Launch() {
    ASSERT_TRUE(app_.Launch());
    ASSERT_TRUE(app_.Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Here(L"wa_bursts.mp3")));
  }

  void Load(const char* plugin) {
    ASSERT_TRUE(app_.Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin", PluginPath(plugin)));
  }

  // Converts the input through `plugin` into "wa_<plugin>.mp3" (or `output`).
  void ConvertThrough(const char* plugin, const char* output = nullptr) {
    Load(plugin);
    Convert(output ? output : ("wa_" + std::string(plugin + 5) + ".mp3").c_str());
  }

  void Convert(const char* output) {
    StartConversion(output);
    MessageBoxSeen seen = app_.AnswerMessageBox(60000);
    EXPECT_EQ(seen.text, L"Conversion Success!") << output;
  }

  // Chooses `output` (a new file) and presses Convert.
  void StartConversion(const char* output) {
    DeleteFileW(Here(Wide(output)).c_str());
    ASSERT_TRUE(app_.Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(Wide(output))));
    app_.Click(IDC_CONVERT);
  }

  // The crash message for `name`; then the DSP Effect box shows `shownAfter`
  // (empty: no plug-in in use).
  void ExpectCrashOf(const wchar_t* name, const wchar_t* shownAfter = L"") {
    ExpectError(std::wstring(L"The DSP plug-in crashed and was unloaded: ") + name + L".",
                shownAfter);
  }

  void ExpectError(const std::wstring& text, const wchar_t* shownAfter) {
    MessageBoxSeen seen = app_.AnswerMessageBox();
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.caption, L"Error");
    EXPECT_EQ(seen.icon, IDI_ERROR);
    Sleep(200);
    EXPECT_EQ(app_.Text(IDC_DSP_TEXT), shownAfter);
  }

  bool WaitForStatus(const wchar_t* text) const {
    for (int waited = 0; waited < 20000; waited += 50) {
      if (app_.Text(IDC_STATUS) == text) return true;
      Sleep(50);
    }
    return false;
  }

  // Visible windows of the program besides its own and `plugins`.
  int OtherWindowsShown(HWND plugins) const {
    WindowCount count = {GetProcessId(app_.Process()), {app_.Window(), plugins}, 0};
    EnumWindows(CountOthers, reinterpret_cast<LPARAM>(&count));
    return count.found;
  }

  void ExpectIdle() {
    EXPECT_EQ(app_.Text(IDC_CONVERT), L"Convert");
    EXPECT_TRUE(app_.IsEnabled(IDC_PLAY));
    EXPECT_FALSE(app_.IsEnabled(IDC_STOP));
  }

  AppDriver app_;
};

// Calls of 576 frames keep the history plug-in's buffers whole, and what
// each call returns is what goes on: the timeline is the plug-in's.
TEST_F(WinampPluginTest, ThePluginsTimelineIsTheOutputs) {
  ConvertThrough("test_history");
  ConvertThrough("test_speed_slow");
  ConvertThrough("test_speed_fast");
  ConvertThrough("test_lookahead");
  EXPECT_NEAR(FramesOf("wa_history.mp3"), kInputFrames, kMp3Frame);
  EXPECT_NEAR(FramesOf("wa_speed_slow.mp3"), kInputFrames * 3 / 2, kMp3Frame);
  EXPECT_NEAR(FramesOf("wa_speed_fast.mp3"), kInputFrames * 3 / 4, kMp3Frame);
  EXPECT_NEAR(FramesOf("wa_lookahead.mp3"), kInputFrames, kMp3Frame) << "all it held came out";
}

// Winamp never asks a plug-in for what it holds; the program does, at the
// input's end. The input's last burst ends with it: the marker that must
// come out of a look-ahead. An echo rings on after it. A plug-in that gives
// nothing back leaves no file, and a file that had the name stays.
TEST_F(WinampPluginTest, EveryFrameTheInputGaveComesOut) {
  const long frames = 10 * kRate;
  TestMp3::Write("wa_marked.mp3", TestSignals::Bursts(frames, kRate, kRate / 20, kRate * 19 / 20),
                 kRate, 2);
  ASSERT_TRUE(app_.Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Here(L"wa_marked.mp3")));
  ConvertThrough("test_lookahead", "wa_marked_lookahead.mp3");
  ConvertThrough("test_echo", "wa_marked_echo.mp3");
  EXPECT_NEAR(FramesOf("wa_marked_lookahead.mp3"), frames, 576);
  EXPECT_GT(FramesOf("wa_marked_echo.mp3"), frames + 2 * kRate) << "the echo's tail";
  EXPECT_LT(FramesOf("wa_marked_echo.mp3"), frames + 6 * kRate) << "and no silence after it";

  TestFiles::WriteAll(Here(L"wa_silent.mp3"), "the user's own file");
  Load("test_silent");
  ASSERT_TRUE(app_.Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", Here(L"wa_silent.mp3")));
  app_.AnswerMessageBox(20000, IDYES);  // replace it
  app_.Click(IDC_CONVERT);
  MessageBoxSeen seen = app_.AnswerMessageBox(60000);
  EXPECT_EQ(seen.text, L"Conversion failed: the DSP plug-in returned no audio: Vellumtone test: "
                       L"returns nothing.\n\nNo file was written.");
  EXPECT_EQ(seen.icon, IDI_ERROR);
  EXPECT_EQ(TestFiles::ReadAll(Here(L"wa_silent.mp3")), "the user's own file");
  EXPECT_EQ(TestFiles::TemporaryOutputs(L"."), 0);
  ExpectIdle();
}

// Each of these plays silence when Winamp's answers are missing.
TEST_F(WinampPluginTest, PluginsThatAskWinampGetItsAnswers) {
  ConvertThrough("test_version");
  ConvertThrough("test_findwinamp");
  ConvertThrough("test_embed");
  FrameSearch search = {GetProcessId(app_.Process()), app_.Window(), nullptr};
  EnumWindows(IsEmbeddingFrame, reinterpret_cast<LPARAM>(&search));
  EXPECT_NE(search.found, nullptr) << "the plug-in's window sits in a frame of the program";
  // Left subclassing the main window when it is replaced, and at the close.
  ConvertThrough("test_subclass");
  ConvertThrough("passthrough");
  Load("test_subclass");
}

TEST_F(WinampPluginTest, APluginFindsItsSettingsAgainOnTheNextLoad) {
  std::wstring ini = ProgramIniFile();
  DeleteFileW(ini.c_str());
  ConvertThrough("test_ini", "wa_ini_first.mp3");  // level 100, then 50 is stored
  app_.Close();
  ASSERT_EQ(app_.WaitForExit(), 0u);
  EXPECT_EQ(GetPrivateProfileIntW(L"Vellumtone test INI", L"Level", 0, ini.c_str()), 50);
  Launch();
  ConvertThrough("test_ini", "wa_ini_second.mp3");  // at 50
  Load("passthrough");
  EXPECT_EQ(GetPrivateProfileIntW(L"Vellumtone test INI", L"Level", 0, ini.c_str()), 25);
}

TEST_F(WinampPluginTest, ALibraryOfSeveralModulesLetsTheUserChoose) {
  std::wstring path = PluginPath("test_modules");
  for (int chosen : {-1, 2}) {
    DialogUser user(L"Browse Winamp DSP Plugin", path.c_str());
    app_.Click(IDC_DSP_BROWSE);
    user.Finish();
    ASSERT_TRUE(user.closedByOk);
    HWND chooser = WaitForDialog(L"Choose DSP Module");
    ASSERT_NE(chooser, nullptr);
    HWND list = GetDlgItem(chooser, IDC_MODULE_LIST);
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0) << "the first is preselected";
    wchar_t text[256] = {};
    SendMessageW(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"dsp_test_modules.dll") << "no description: the file's name";
    if (chosen >= 0) SendMessageW(list, LB_SETCURSEL, chosen, 0);
    PostMessageW(chooser, WM_COMMAND, chosen >= 0 ? IDOK : IDCANCEL, 0);
    for (int waited = 0; waited < 5000 && IsWindow(chooser); waited += 50) Sleep(50);
    Sleep(200);
    EXPECT_EQ(app_.Text(IDC_DSP_TEXT), chosen >= 0 ? L"Vellumtone test: swapped" : L"");
  }
  Convert("wa_modules.mp3");
}

// A library that is no DSP plug-in is told, with the reason; the one in use
// before is gone all the same. After a plug-in was dropped, Convert says
// how to go on, and then goes on without one.
TEST_F(WinampPluginTest, ARefusedPluginIsToldWithItsReason) {
  const std::wstring invalid = L"Invalid DSP Plugin!\n\n";
  Load("passthrough");
  Load("test_noexport");
  ExpectError(invalid + L"It has no winampDSPGetHeader2: it is not a Winamp DSP plug-in.", L"");
  Load("test_nullmodule");
  ExpectError(invalid + L"Its header offers no module (module 0 is null).", L"");
  TestFiles::WriteAll(Here(L"wa_not_a_dll.dll"), "not a library");
  ASSERT_TRUE(app_.Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin", Here(L"wa_not_a_dll.dll")));
  ExpectError(invalid + L"It is not a 32-bit Windows DLL.", L"");
  Load("test_exit_dllmain");
  ExpectError(invalid + L"It tried to end the program (ExitProcess) while it was loading.", L"");
  Load("test_missing_dependency");
  MessageBoxSeen seen = app_.AnswerMessageBox();
  EXPECT_EQ(seen.text.rfind(invalid + L"It could not be loaded: ", 0), 0u) << seen.text;
  const std::wstring needs = L"\n\nIt needs vellumtone_absent.dll, which is not there.";
  EXPECT_TRUE(seen.text.size() > needs.size() &&
              seen.text.compare(seen.text.size() - needs.size(), needs.size(), needs) == 0)
      << seen.text;

  Load("test_fault_modify");
  StartConversion("wa_unloaded.mp3");
  ExpectCrashOf(L"Vellumtone test: fault 5");
  app_.Click(IDC_CONVERT);
  EXPECT_EQ(app_.AnswerMessageBox().text,
            L"The DSP plug-in was unloaded after it crashed: Vellumtone test: fault 5.\n\nChoose "
            L"it again (or another) with the DSP Effect's Browse button, or press Convert again "
            L"to go on without a DSP plug-in.");
  Convert("wa_unloaded.mp3");
}

// WM_WA_IPC with both parameters 0 is also the dialog manager's question
// for the default button: Enter and Escape must do what they always did.
TEST_F(WinampPluginTest, EnterAndEscapeInTheMainWindowAreUnchanged) {
  Load("test_version");
  HWND window = app_.Window();
  auto press = [&](int focusId, WPARAM key) {
    PostMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(app_.Control(focusId)), TRUE);
    Sleep(100);
    PostMessageW(app_.Control(focusId), WM_KEYDOWN, key, 0);
    PostMessageW(app_.Control(focusId), WM_KEYUP, key, 0);
    Sleep(500);
  };
  press(IDC_INPUT_TEXT, VK_RETURN);
  press(IDC_INPUT_TEXT, VK_ESCAPE);
  EXPECT_EQ(app_.FindMessageBox(), nullptr) << "neither presses a button";
  EXPECT_TRUE(app_.IsRunning()) << "nor closes the window";
  press(IDC_ABOUT, VK_RETURN);
  MessageBoxSeen about = app_.AnswerMessageBox(5000);
  EXPECT_EQ(about.caption, L"About") << "Enter presses the button that has the focus";
}

// Broken plug-ins: each fault is told, the plug-in dropped, and the program
// goes on with another.
TEST_F(WinampPluginTest, AFaultInAnyEntryPointIsToldAndThePluginDropped) {
  Load("test_fault_header");  // an access violation
  ExpectCrashOf(L"dsp_test_fault_header.dll");
  Load("test_fault_getmodule");  // a division by zero
  ExpectCrashOf(L"dsp_test_fault_getmodule.dll");
  Load("test_fault_init");  // an illegal instruction
  ExpectCrashOf(L"Vellumtone test: fault 3");
  Load("test_fault_config");
  app_.Click(IDC_DSP_CONFIGURE);  // a stack overflow
  ExpectCrashOf(L"Vellumtone test: fault 4");
  Load("test_fault_quit");
  Load("passthrough");  // the old one's Quit divides by zero; the new one loads
  ExpectCrashOf(L"Vellumtone test: fault 6", L"Vellumtone Pass-through");
  Convert("wa_after_faults.mp3");
}

TEST_F(WinampPluginTest, AFaultWhileConvertingOrPreviewingEndsTheJob) {
  Load("test_fault_modify");
  StartConversion("wa_fault.mp3");
  ExpectCrashOf(L"Vellumtone test: fault 5");
  ExpectIdle();
  EXPECT_EQ(GetFileAttributesW(Here(L"wa_fault.mp3").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(TestFiles::TemporaryOutputs(Here(L".")), 0) << "the unfinished output is removed";
  if (!TestEnvironment::CapturePath().empty()) {  // a preview needs the sound server
    Load("test_fault_modify");
    app_.Click(IDC_PLAY);
    ExpectCrashOf(L"Vellumtone test: fault 5");
    ExpectIdle();
  }
  ConvertThrough("test_swap", "wa_after_fault.mp3");
}

TEST_F(WinampPluginTest, AHungPluginCanBeLeftByQuitting) {
  const wchar_t* question =
      L"The DSP plug-in is not responding. Quit the program? The unfinished output will be "
      L"deleted.";
  Load("test_hang");
  StartConversion("wa_hang.mp3");
  Sleep(1000);
  app_.Click(IDC_CONVERT);  // "Stop", once: the question comes by itself
  MessageBoxSeen seen = app_.AnswerMessageBox(20000, IDNO);
  EXPECT_EQ(seen.text, question);
  EXPECT_EQ(seen.icon, IDI_WARNING);
  Sleep(500);
  EXPECT_TRUE(app_.IsRunning()) << "No keeps waiting";
  app_.Close();
  EXPECT_EQ(app_.AnswerMessageBox(20000, IDYES).text, question);
  EXPECT_EQ(app_.WaitForExit(), 1u);
  EXPECT_EQ(GetFileAttributesW(Here(L"wa_hang.mp3").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(TestFiles::TemporaryOutputs(Here(L".")), 0) << "the unfinished output is deleted";
}

// A plug-in whose vectored handler swallows every fault, and then faults,
// hangs in its call: the question comes by itself, Stop or not.
TEST_F(WinampPluginTest, APluginThatSwallowsItsFaultsGetsTheQuestion) {
  Load("test_thread_swallows");
  StartConversion("wa_swallows.mp3");
  MessageBoxSeen seen = app_.AnswerMessageBox(30000, IDYES);
  EXPECT_EQ(seen.text,
            L"The DSP plug-in is not responding. Quit the program? The unfinished output will be "
            L"deleted.");
  EXPECT_EQ(app_.WaitForExit(), 1u);
  EXPECT_EQ(TestFiles::TemporaryOutputs(Here(L".")), 0) << "the unfinished output is deleted";
}

// A DllMain that deadlocks (under the loader lock) and a Quit that never
// returns hold the window's thread: the question comes from elsewhere, and
// Yes ends the program.
TEST_F(WinampPluginTest, APluginThatHangsWhileLoadingOrClosingGetsTheQuestion) {
  for (bool atLoad : {true, false}) {
    Load(atLoad ? "test_hang_dllmain" : "test_hang_quit");
    if (!atLoad) app_.Close();
    MessageBoxSeen seen = app_.AnswerMessageBox(30000, IDYES);
    EXPECT_EQ(seen.text, L"The DSP plug-in is not responding. Quit the program?") << atLoad;
    EXPECT_EQ(seen.icon, IDI_WARNING);
    EXPECT_EQ(app_.WaitForExit(), 1u);
    Launch();
  }
  ConvertThrough("passthrough", "wa_after_hangs.mp3");
}

// Other languages' runtimes raise exceptions of their own codes: left to
// the host, each is a crash like any fault; handled inside the plug-in, as
// Delphi code does, it is the plug-in's business.
TEST_F(WinampPluginTest, ExceptionsOfAnyRuntimeAreContained) {
  struct Case {
    const char* plugin;
    const wchar_t* description;
  } cases[] = {{"test_raise_delphi", L"Vellumtone test: raises 0x0EEDFADE"},
               {"test_raise_other", L"Vellumtone test: raises 0x20000001"}};
  for (const Case& c : cases) {
    Load(c.plugin);
    StartConversion("wa_raise.mp3");
    ExpectCrashOf(c.description);
    ExpectIdle();
  }
  ConvertThrough("test_raise_handled");
  EXPECT_NEAR(FramesOf("wa_raise_handled.mp3"), kInputFrames, kMp3Frame);
}

const wchar_t kSettingsCaption[] = L"Vellumtone test settings";

// The settings dialog's procedure faults on its timer: the dialog goes with
// its timer, the program's window is usable again, and the program goes on.
TEST_F(WinampPluginTest, AFaultInASettingsDialogTakesTheDialogAway) {
  Load("test_settings_faulting_dialog");
  app_.Click(IDC_DSP_CONFIGURE);
  ExpectCrashOf(L"Vellumtone test: settings 1");
  EXPECT_TRUE(IsWindowEnabled(app_.Window()));
  Sleep(500);  // the dialog's timer would have run the faulted procedure again
  EXPECT_EQ(FindWindowW(nullptr, kSettingsCaption), nullptr);
  ASSERT_TRUE(app_.IsRunning());
  ConvertThrough("passthrough");
}

// A settings window with a message loop of its own leaves the program's
// window enabled: what would unload the plug-in under it, or open a window
// of the program's on top of its loop, is refused in the status line.
TEST_F(WinampPluginTest, NothingUnloadsAPluginOrOpensAWindowInsideItsSettingsWindow) {
  const wchar_t* refusal = L"The DSP plug-in's settings window is open. Close it first.";
  Load("test_settings_own_loop");
  app_.Click(IDC_DSP_CONFIGURE);
  HWND settings = WaitForWindow(nullptr, kSettingsCaption);
  ASSERT_NE(settings, nullptr);
  for (int attempt : {IDC_DSP_BROWSE, IDC_DSP_CONFIGURE, IDC_INPUT_BROWSE, IDC_OUTPUT_BROWSE,
                      IDC_ABOUT, IDC_CONVERT, IDC_PLAY, 0, -1}) {
    SetWindowTextW(app_.Control(IDC_STATUS), L"");
    if (attempt > 0) {
      app_.Click(attempt);
    } else if (attempt == 0) {
      app_.Close();
    } else {
      EXPECT_TRUE(app_.Drop({Here(L"wa_bursts.mp3")}));
    }
    EXPECT_TRUE(WaitForStatus(refusal)) << attempt;
    EXPECT_EQ(OtherWindowsShown(settings), 0) << attempt;
  }
  EXPECT_TRUE(app_.IsRunning());
  SendMessageW(settings, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitForStatus(L"")) << "the refusal goes with the window";
  ConvertThrough("passthrough");
}

// The worker's plug-in faults while Config's own loop runs on the window's
// thread: the window goes with the plug-in, Config is left, and the program
// goes on and closes.
TEST_F(WinampPluginTest, AFaultDuringASettingsWindowsOwnLoopLeavesAProgramThatCloses) {
  Load("test_settings_own_loop_fault");
  app_.Click(IDC_PLAY);
  for (int waited = 0; waited < 20000 && !app_.IsEnabled(IDC_STOP); waited += 50) Sleep(50);
  app_.Click(IDC_DSP_CONFIGURE);
  ExpectCrashOf(L"Vellumtone test: settings 4");
  EXPECT_EQ(FindWindowW(nullptr, kSettingsCaption), nullptr);
  ExpectIdle();
  ConvertThrough("passthrough");
}

// A settings window that outlives Config, and Quit, keeps its library
// loaded: it still answers after another plug-in took its place.
TEST_F(WinampPluginTest, ALibraryStaysWhileItsWindowIsOpen) {
  Load("test_settings_modeless");
  app_.Click(IDC_DSP_CONFIGURE);
  HWND settings = WaitForWindow(nullptr, kSettingsCaption);
  ASSERT_NE(settings, nullptr);
  Load("passthrough");
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(settings, WM_APP + 7, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, 4242u);
  Convert("wa_after_modeless.mp3");
}

// Through a plug-in that takes 1.5 s per call (a whole block: 48 s), Stop
// ends the conversion after the call in hand.
TEST_F(WinampPluginTest, StopEndsAConversionWithinOneSlowCall) {
  Load("test_very_slow");
  StartConversion("wa_very_slow.mp3");
  Sleep(2000);
  app_.Click(IDC_CONVERT);  // "Stop"
  EXPECT_EQ(app_.AnswerMessageBox(10000).text, L"Conversion Aborted!");
}

// Plug-ins that change the floating-point units' state (from DllMain, in
// every call, a value left on the x87 stack) leave the program its own:
// each output is the pass-through's, byte for byte.
TEST_F(WinampPluginTest, APluginsFloatingPointStateLeavesTheOutputAsItWas) {
  ConvertThrough("passthrough", "wa_passthrough.mp3");
  std::string reference = TestFiles::ReadAll(Here(L"wa_passthrough.mp3"));
  ASSERT_FALSE(reference.empty());
  for (const char* kind : {"dllmain", "unmask", "stack"}) {
    ConvertThrough(("test_fpu_" + std::string(kind)).c_str());
    EXPECT_TRUE(TestFiles::ReadAll(Here(Wide(("wa_fpu_" + std::string(kind) + ".mp3").c_str()))) ==
                reference)
        << kind;
  }
}

// Plug-ins that end the program, or the window's thread, are caught in the
// act: what each did is told, it is dropped, and the program goes on.
TEST_F(WinampPluginTest, APluginThatEndsTheProgramIsToldAndDropped) {
  struct Case {
    const char* plugin;
    bool inConfig;
    const wchar_t* what;
  } cases[] = {{"process", false, L"ExitProcess"}, {"crt", true, L"exit"},
               {"abort", false, L"abort"},         {"terminate", true, L"TerminateProcess"},
               {"throw", false, L"abort"},         {"thread", true, L"ExitThread"},
               {"lookedup", false, L"ExitProcess"}};
  int number = 0;
  for (const Case& c : cases) {
    Load(("test_exit_" + std::string(c.plugin)).c_str());
    if (c.inConfig) {
      app_.Click(IDC_DSP_CONFIGURE);
    } else {
      StartConversion("wa_exit.mp3");
    }
    ExpectError(std::wstring(L"The DSP plug-in tried to end the program (") + c.what +
                    L") and was unloaded: Vellumtone test: exits " + std::to_wstring(++number) +
                    L".",
                L"");
    ExpectIdle();
    EXPECT_EQ(GetFileAttributesW(Here(L"wa_exit.mp3").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(TestFiles::TemporaryOutputs(Here(L".")), 0) << c.plugin;
  }
  ConvertThrough("passthrough");
}

// A fault on a thread of the plug-in's own is told once and ends the
// conversion, which leaves no file. A library whose thread still runs, or
// whose handlers the system still calls, stays loaded when another plug-in
// takes its place: the next fault in the process reaches those handlers.
TEST_F(WinampPluginTest, APluginsOwnThreadsAndHandlersCannotEndTheProgram) {
  Load("test_thread_fault");
  StartConversion("wa_thread.mp3");
  ExpectCrashOf(L"Vellumtone test: thread 1");
  Sleep(2000);
  EXPECT_EQ(app_.FindMessageBox(), nullptr) << "told once";
  ExpectIdle();
  EXPECT_EQ(GetFileAttributesW(Here(L"wa_thread.mp3").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(TestFiles::TemporaryOutputs(Here(L".")), 0);
  Load("test_thread_running");
  Load("test_thread_handlers");
  Load("passthrough");
  Load("test_fault_init");
  ExpectCrashOf(L"Vellumtone test: fault 3");
  ConvertThrough("passthrough", "wa_after_threads.mp3");
}

}  // namespace
