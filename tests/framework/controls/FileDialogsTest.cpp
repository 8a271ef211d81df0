#include <cstdio>
#include <string>
#include <thread>

#include "FileDialogs.h"
#include "FrameworkTestBase.h"

namespace {

constexpr int kFileNameCombo = 0x47C;  // the explorer-style dialog's file-name box
constexpr int kFileNameEdit = 0x480;   // the older style's

// A user at the common file dialog, on a helper thread: waits for the dialog
// with `title`, notes what its file-name box holds, types `typed` and
// presses OK (or Cancel when `typed` is null). A dialog still open after OK
// (the file did not do) has its message box dismissed and is cancelled.
class DialogUser {
 public:
  DialogUser(const wchar_t* title, const wchar_t* typed)
      : thread_([this, title, typed] { Use(title, typed); }) {}
  ~DialogUser() { Finish(); }

  // Waits until the user is done; read the fields below only after it.
  void Finish() {
    if (thread_.joinable()) thread_.join();
  }

  std::wstring initialText;
  bool closedByOk = false;
  bool sawMessageBox = false;

 private:
  static HWND WaitForVisible(const wchar_t* title) {
    for (int waited = 0; waited < 30000; waited += 50) {
      HWND dialog = FindWindowW(L"#32770", title);
      if (dialog && IsWindowVisible(dialog)) return dialog;
      Sleep(50);
    }
    return nullptr;
  }

  static HWND FileNameBox(HWND dialog) {
    HWND combo = GetDlgItem(dialog, kFileNameCombo);
    if (!combo) return GetDlgItem(dialog, kFileNameEdit);
    HWND inner = FindWindowExW(combo, nullptr, L"ComboBox", nullptr);
    HWND edit = FindWindowExW(inner ? inner : combo, nullptr, L"Edit", nullptr);
    return edit ? edit : combo;
  }

  static HWND PopupOf(HWND dialog) {
    HWND popup = nullptr;
    while ((popup = FindWindowExW(nullptr, popup, L"#32770", nullptr))) {
      if (popup != dialog && GetWindow(popup, GW_OWNER) == dialog && IsWindowVisible(popup)) {
        return popup;
      }
    }
    return nullptr;
  }

  void Use(const wchar_t* title, const wchar_t* typed) {
    HWND dialog = WaitForVisible(title);
    if (!dialog) return;
    Sleep(200);  // its controls are filled after it shows
    HWND box = FileNameBox(dialog);
    wchar_t text[1024] = {};
    GetWindowTextW(box, text, 1024);
    initialText = text;
    if (!typed) {
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed));
    // Posted: OK may open a modal message box.
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    for (int waited = 0; waited < 3000; waited += 50) {
      if (!IsWindow(dialog) || !IsWindowVisible(dialog)) {
        closedByOk = true;
        return;
      }
      if (HWND popup = PopupOf(dialog)) {
        sawMessageBox = true;
        PostMessageW(popup, WM_COMMAND, IDOK, 0);
        Sleep(300);
        break;
      }
      Sleep(50);
    }
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }

  std::thread thread_;
};

const wchar_t kMp3Filter[] = L"MP3 Files (*.mp3)\0*.mp3\0";
const wchar_t kDllFilter[] = L"DLL Files (*.dll)\0*.dll\0";

std::wstring FullPath(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  GetFullPathNameW(name, MAX_PATH, path, nullptr);
  return path;
}

std::wstring MakeFile(const wchar_t* name) {
  FILE* file = _wfopen(name, L"wb");
  std::fputs("not really an mp3", file);
  std::fclose(file);
  return FullPath(name);
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
    DialogUser user(L"Open MP3 File...", FullPath(L"no_such_file.mp3").c_str());
    EXPECT_FALSE(AskOpenPath(&owner_, L"Open MP3 File...", kMp3Filter, &chosen));
    user.Finish();
    EXPECT_FALSE(user.closedByOk) << "only existing files can be opened";
  }
  EXPECT_EQ(_wcsicmp(chosen, input.c_str()), 0);

  std::wstring output = FullPath(L"brand_new_output.mp3");
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
