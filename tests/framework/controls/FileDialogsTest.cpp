#include <cstdio>
#include <string>

#include "DialogUser.h"
#include "FileDialogs.h"
#include "FrameworkTestBase.h"
#include "TestFiles.h"

namespace {

const wchar_t kMp3Filter[] = L"MP3 Files (*.mp3)\0*.mp3\0";
const wchar_t kDllFilter[] = L"DLL Files (*.dll)\0*.dll\0";

std::wstring MakeFile(const wchar_t* name) {
  FILE* file = _wfopen(name, L"wb");
  std::fputs("not really an mp3", file);
  std::fclose(file);
  return TestFiles::FullPath(name);
}

// The buffers belong to the whole run, so the cases run in order in one test.
class FileDialogsTest : public FrameworkTestBase {
 protected:
  void SetUp() override {
    FrameworkTestBase::SetUp();
    ASSERT_TRUE(owner_.Create());
  }
  TestWindow owner_;
};

TEST_F(FileDialogsTest, OpenAndSaveKeepTheirOwnBuffersAcrossDialogs) {
  std::wstring input = MakeFile(L"dialog_input.mp3");
  KString chosen(L"unchanged");
  {
    DialogUser user(L"Open MP3 File...", nullptr);
    EXPECT_FALSE(AskOpenPath(&owner_, L"Open MP3 File...", kMp3Filter, &chosen));
    user.Finish();
    EXPECT_TRUE(user.initialText.empty()) << "the first open dialog starts empty";
  }
  EXPECT_STREQ(static_cast<const wchar_t*>(chosen), L"unchanged");
  {
    DialogUser user(L"Open MP3 File...", input.c_str());
    EXPECT_TRUE(AskOpenPath(&owner_, L"Open MP3 File...", kMp3Filter, &chosen));
    user.Finish();
    EXPECT_TRUE(user.closedByOk);
  }
  EXPECT_EQ(_wcsicmp(chosen, input.c_str()), 0) << static_cast<const wchar_t*>(chosen);
  {
    DialogUser user(L"Browse Winamp DSP Plugin", nullptr);
    KString plugin;
    EXPECT_FALSE(AskOpenPath(&owner_, L"Browse Winamp DSP Plugin", kDllFilter, &plugin));
    user.Finish();
    EXPECT_NE(user.initialText.find(L"dialog_input"), std::wstring::npos)
        << "the plug-in dialog starts from the path last opened";
  }
  {
    DialogUser user(L"Open MP3 File...", TestFiles::FullPath(L"no_such_file.mp3").c_str());
    EXPECT_FALSE(AskOpenPath(&owner_, L"Open MP3 File...", kMp3Filter, &chosen));
    user.Finish();
    EXPECT_FALSE(user.closedByOk) << "only existing files can be opened";
  }
  EXPECT_EQ(_wcsicmp(chosen, input.c_str()), 0);

  std::wstring output = TestFiles::FullPath(L"brand_new_output.mp3");
  DeleteFileW(output.c_str());
  KString saved;
  {
    DialogUser user(L"Save MP3 File...", output.c_str());
    EXPECT_TRUE(AskSavePath(&owner_, L"Save MP3 File...", &saved));
    user.Finish();
    EXPECT_TRUE(user.initialText.empty()) << "the save dialog has its own buffer";
  }
  EXPECT_EQ(_wcsicmp(saved, output.c_str()), 0);
}

}  // namespace
