// The MP3 files people have, tags and all, converted by the real program;
// the Linux side then compares every tag of each output with its input's
// (tag_corpus.py check).
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <sstream>
#include <string>

#include "AppDriver.h"
#include "DialogUser.h"
#include "resources/resource.h"

namespace {

const wchar_t kTagsNotCopied[] = L"The conversion finished, but the input's tags could not be copied:";

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// As a program on the Linux side removes it (Wine lets no Windows program
// delete a file the decoder holds open): Wine starts Unix programs too.
bool DeleteFromLinux(const std::wstring& path) {
  std::wstring unixPath = path.substr(2);  // "Z:" is the Unix root
  for (wchar_t& c : unixPath) c = c == L'\\' ? L'/' : c;
  std::wstring command = L"rm -f \"" + unixPath + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(L"Z:\\bin\\rm", &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // The handle of a Unix program does not wait for its end: the file's
  // going is watched instead.
  for (int i = 0; i < 500 && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
    Sleep(10);
  }
  return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

// Once the conversion runs (its tags were read as it began), its input goes.
void DeleteWhileConverting(const AppDriver& app, const std::wstring& input) {
  for (int i = 0; i < 200 && app.Text(IDC_CONVERT) != L"Stop"; ++i) Sleep(10);
  EXPECT_TRUE(DeleteFromLinux(input)) << "the input could not be deleted";
  EXPECT_EQ(app.Text(IDC_CONVERT), L"Stop") << "the conversion was over before its input went";
}

// The example effect's level, set in its settings window as a user does:
// the slider moved, the label following, OK.
void SetGainLevel(const AppDriver& app, int percent) {
  app.Click(IDC_DSP_CONFIGURE);
  HWND dialog = WaitForDialog(L"Vellumtone Gain");
  ASSERT_NE(dialog, nullptr) << "the gain plug-in's settings window";
  HWND slider = FindWindowExW(dialog, nullptr, TRACKBAR_CLASSW, nullptr);
  SendMessageW(slider, TBM_SETPOS, TRUE, percent);
  SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, percent),
               reinterpret_cast<LPARAM>(slider));
  wchar_t label[64] = {};
  GetWindowTextW(FindWindowExW(dialog, nullptr, L"Static", nullptr), label, 64);
  EXPECT_EQ(std::wstring(label), L"Gain: " + std::to_wstring(percent) + L"%");
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(10);
  EXPECT_FALSE(IsWindow(dialog)) << "the settings window did not close";
}

// corpus.txt lists each file with the plug-in it goes through ("-": none)
// and what happens meanwhile ("vanish": its input, a copy, is deleted;
// "damaged": its tags cannot be carried, which the user is told; "levelN":
// the gain plug-in is set to N %); the ones with a plug-in come last, since
// a loaded plug-in stays.
TEST(TagCorpusTest, EveryFileConvertsKeepingItsTags) {
  std::string corpus = TestEnvironment::WindowsPath(VT_TAG_CORPUS);
  std::ifstream manifest(corpus + "\\corpus.txt");
  ASSERT_TRUE(manifest.is_open()) << corpus;
  AppDriver app;
  ASSERT_TRUE(app.Launch());
  std::string line;
  int converted = 0;
  while (std::getline(manifest, line)) {
    std::string name, plugin, action;
    std::istringstream(line) >> name >> plugin >> action;
    std::wstring input = Wide(corpus + "\\" + name);
    std::wstring output = Here(Wide(name.substr(0, name.size() - 4) + "_out.mp3"));
    DeleteFileW(output.c_str());
    if (action == "vanish") {
      std::wstring copy = Here(Wide(name));
      ASSERT_TRUE(CopyFileW(input.c_str(), copy.c_str(), FALSE)) << name;
      input = copy;
    }
    ASSERT_TRUE(app.Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", input));
    ASSERT_TRUE(app.Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", output));
    if (plugin != "-") {
      ASSERT_TRUE(app.Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin", PluginPath(plugin.c_str())));
    }
    if (action.rfind("level", 0) == 0) SetGainLevel(app, std::stoi(action.substr(5)));
    app.Click(IDC_CONVERT);
    if (action == "vanish") DeleteWhileConverting(app, input);
    MessageBoxSeen seen = app.AnswerMessageBox(60000);
    if (action == "damaged") {
      EXPECT_EQ(seen.text.rfind(kTagsNotCopied, 0), 0u) << name << ": " << Narrow(seen.text);
    } else {
      EXPECT_EQ(seen.text, L"Conversion Success!") << name;
    }
    ++converted;
  }
  EXPECT_GE(converted, 30);
  app.Close();
  EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace
