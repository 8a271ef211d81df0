// The MP3 files people have, tags and all, converted by the real program;
// the Linux side then compares every tag of each output with its input's
// (tag_corpus.py check).
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "AppDriver.h"
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

// corpus.txt lists each file with the plug-in it goes through ("-": none)
// and what happens meanwhile ("vanish": its input, a copy, is deleted;
// "damaged": its tags cannot be carried, which the user is told); the ones
// with a plug-in come last, since a loaded plug-in stays.
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
  EXPECT_GE(converted, 28);
  app.Close();
  EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace
