// The MP3 files people have, tags and all, converted by the real program;
// the Linux side then compares every tag of each output with its input's
// (tag_corpus.py check).
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "AppDriver.h"
#include "resources/resource.h"

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// corpus.txt lists each file with the plug-in it goes through ("-": none);
// the one with a plug-in comes last, since a loaded plug-in stays.
TEST(TagCorpusTest, EveryFileConvertsKeepingItsTags) {
  std::string corpus = TestEnvironment::WindowsPath(VT_TAG_CORPUS);
  std::ifstream manifest(corpus + "\\corpus.txt");
  ASSERT_TRUE(manifest.is_open()) << corpus;
  AppDriver app;
  ASSERT_TRUE(app.Launch());
  std::string name, plugin;
  int converted = 0;
  while (manifest >> name >> plugin) {
    std::wstring output = Here(Wide(name.substr(0, name.size() - 4) + "_out.mp3"));
    DeleteFileW(output.c_str());
    ASSERT_TRUE(app.Choose(IDC_INPUT_BROWSE, L"Open MP3 File...", Wide(corpus + "\\" + name)));
    ASSERT_TRUE(app.Choose(IDC_OUTPUT_BROWSE, L"Save MP3 File...", output));
    if (plugin != "-") {
      ASSERT_TRUE(app.Choose(IDC_DSP_BROWSE, L"Browse Winamp DSP Plugin", PluginPath(plugin.c_str())));
    }
    app.Click(IDC_CONVERT);
    MessageBoxSeen seen = app.AnswerMessageBox(60000);
    EXPECT_EQ(seen.text, L"Conversion Success!") << name;
    ++converted;
  }
  EXPECT_GE(converted, 10);
  app.Close();
  EXPECT_EQ(app.WaitForExit(), 0u);
}

}  // namespace
