#include <algorithm>

#include "FrameworkTestBase.h"

#include <commctrl.h>
#include "KButton.h"
#include "KComboBox.h"
#include "KProgressBar.h"
#include "KTrackBar.h"
#include "KFrameworkState.h"
#include "KHotPluggedDialog.h"
#include "KTextBox.h"
#include "MessageRouting.h"
#include "TestResources.h"

namespace {

using KHotPluggedDialogTest = FrameworkTestBase;

constexpr UINT kProbe = WM_APP + 1;

// A dialog from the test template that attaches two of its controls. Once
// attached it posts itself `script` (messages, in order), ending with a
// probe that notes whether the dialog is still open and then closes it.
class TestDialog : public KHotPluggedDialog, public KButtonListener {
 public:
  void OnAttached() override {
    KHotPluggedDialog::OnAttached();
    visibleWhenAttached = IsVisible();
    button.AttachTo(GetDlgItem(GetHWND(), kTestButtonId));
    button.SetListener(this);
    edit.AttachTo(GetDlgItem(GetHWND(), kTestEditId));
    for (const MSG& message : script) {
      PostMessageW(message.hwnd ? message.hwnd : GetHWND(), message.message, message.wParam,
                   message.lParam);
    }
    PostMessageW(GetHWND(), kProbe, 0, 0);
  }

  LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_COMMAND) commands.push_back(LOWORD(wParam));
    if (message == kProbe) {
      openAtProbe = true;
      PostMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    }
    return KHotPluggedDialog::WindowProc(window, message, wParam, lParam);
  }

  void ButtonPressed(KButton* pressed) override { pressedButton = pressed; }

  INT_PTR Show() {
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kTestDialogId), nullptr,
                           FrameworkDlgProc, reinterpret_cast<LPARAM>(this));
  }

  KButton button;
  KTextBox edit;
  std::vector<MSG> script;
  std::vector<WORD> commands;
  bool visibleWhenAttached = true;
  bool openAtProbe = false;
  KButton* pressedButton = nullptr;
};

MSG Message(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  MSG posted = {};
  posted.message = message;
  posted.wParam = wParam;
  posted.lParam = lParam;
  return posted;
}

TEST_F(KHotPluggedDialogTest, AttachesWhileInitialisingAndEndsOnClose) {
  TestDialog dialog;
  EXPECT_EQ(dialog.Show(), 0);
  EXPECT_TRUE(dialog.openAtProbe);
  EXPECT_FALSE(dialog.visibleWhenAttached) << "OnAttached runs before the dialog is shown";
  EXPECT_STREQ(static_cast<const wchar_t*>(dialog.GetText()), L"Hot-plug test");
  EXPECT_STREQ(static_cast<const wchar_t*>(dialog.GetWindowClassName()), L"#32770");
  EXPECT_STREQ(static_cast<const wchar_t*>(dialog.button.GetText()), L"Press");
  EXPECT_FALSE(IsWindow(dialog.GetHWND()));
}

TEST_F(KHotPluggedDialogTest, EscapeAndOkDoNotCloseIt) {
  TestDialog dialog;
  dialog.script = {Message(WM_COMMAND, IDCANCEL), Message(WM_COMMAND, IDOK)};
  EXPECT_EQ(dialog.Show(), 0);
  EXPECT_TRUE(dialog.openAtProbe);
  EXPECT_EQ(dialog.commands, (std::vector<WORD>{IDCANCEL, IDOK}));
}

// The Escape key, typed into the focused edit box: the dialog manager turns
// it into IDCANCEL, which must not close the dialog.
TEST_F(KHotPluggedDialogTest, TheEscapeKeyDoesNotCloseIt) {
  struct TypingDialog : TestDialog {
    void OnAttached() override {
      TestDialog::OnAttached();
      SetFocus(edit.GetHWND());
      PostMessageW(edit.GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
      PostMessageW(edit.GetHWND(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
      PostMessageW(GetHWND(), kProbe, 0, 0);
    }
  } dialog;
  EXPECT_EQ(dialog.Show(), 0);
  EXPECT_TRUE(dialog.openAtProbe);
  EXPECT_NE(std::find(dialog.commands.begin(), dialog.commands.end(), IDCANCEL),
            dialog.commands.end());
}

TEST_F(KHotPluggedDialogTest, ItsControlsNotifyTheirObjects) {
  // The button's handle is known only once attached: click it then.
  struct ClickingDialog : TestDialog {
    void OnAttached() override {
      TestDialog::OnAttached();
      PostMessageW(button.GetHWND(), BM_CLICK, 0, 0);
      PostMessageW(GetHWND(), kProbe, 0, 0);
    }
  } clicking;
  EXPECT_EQ(clicking.Show(), 0);
  EXPECT_EQ(clicking.pressedButton, &clicking.button);
}

// The template's combo box, track bar and progress bar, attached the way
// the main window attaches its own, take the program's settings.
TEST_F(KHotPluggedDialogTest, TemplateControlsWorkOnceAttached) {
  struct ControlsDialog : TestDialog {
    void OnAttached() override {
      TestDialog::OnAttached();
      HWND dialog = GetHWND();
      comboBox.AttachTo(GetDlgItem(dialog, kTestComboId));
      trackBar.AttachTo(GetDlgItem(dialog, kTestTrackBarId));
      progressBar.AttachTo(GetDlgItem(dialog, kTestProgressId));
      for (const wchar_t* rate : {L"64", L"128", L"256", L"320"}) comboBox.AppendItem(rate);
      comboBox.SetSelection(3);
      trackBar.SetRange(0, 100);
      trackBar.SetValue(50);
      progressBar.SetValue(30);
      selection = comboBox.GetSelection();
      selectedText = comboBox.GetSelectedText();
      sliderPosition = static_cast<int>(SendMessageW(trackBar.GetHWND(), TBM_GETPOS, 0, 0));
      barPosition = static_cast<int>(SendMessageW(progressBar.GetHWND(), PBM_GETPOS, 0, 0));
      comboClass = comboBox.GetWindowClassName();
    }
    KComboBox comboBox;
    KTrackBar trackBar;
    KProgressBar progressBar;
    int selection = -1, sliderPosition = -1, barPosition = -1;
    KString selectedText, comboClass;
  } dialog;
  EXPECT_EQ(dialog.Show(), 0);
  EXPECT_EQ(dialog.selection, 3);
  EXPECT_STREQ(static_cast<const wchar_t*>(dialog.selectedText), L"320");
  EXPECT_EQ(dialog.sliderPosition, 50);
  EXPECT_EQ(dialog.barPosition, 30);
  EXPECT_EQ(_wcsicmp(dialog.comboClass, L"ComboBox"), 0);
}

HWND unboundDialog = nullptr;
bool unboundDialogHadObject = true;

// A thread timer's procedure runs inside the dialog's modal loop.
void CALLBACK InspectAndEndThePlainDialog(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = FindWindowW(L"#32770", L"Hot-plug test");
  if (!dialog || unboundDialog) return;
  unboundDialog = dialog;
  unboundDialogHadObject = GetPropW(dialog, L"QZR") != nullptr;
  EndDialog(dialog, 7);
}

TEST_F(KHotPluggedDialogTest, ADialogWithoutAnObjectStaysUnbound) {
  UINT_PTR timer = SetTimer(nullptr, 0, 50, InspectAndEndThePlainDialog);
  INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kTestDialogId),
                                   nullptr, FrameworkDlgProc, 0);
  KillTimer(nullptr, timer);
  EXPECT_EQ(result, 7);
  EXPECT_NE(unboundDialog, nullptr);
  EXPECT_FALSE(unboundDialogHadObject);
}

}  // namespace
