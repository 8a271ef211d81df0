#include "FrameworkTestBase.h"

#include <commctrl.h>

#include <climits>
#include "KButton.h"
#include "KComboBox.h"
#include "KFont.h"
#include "KFrameworkState.h"
#include "KTextBox.h"
#include "KTrackBar.h"
#include "MessageLoop.h"

namespace {

using KWindowTest = FrameworkTestBase;

// Counts what reaches it through the window's dispatch.
struct Listener : KButtonListener, KComboBoxListener, KTrackBarListener, KMenuItem, KTimer {
  int presses = 0, selections = 0, moves = 0, menuPresses = 0, timers = 0;
  void ButtonPressed(KButton*) override { ++presses; }
  void ComboItemSelected(KComboBox*) override { ++selections; }
  void TrackBarMoved(KTrackBar*) override { ++moves; }
  void FirePress() override { ++menuPresses; }
  void FireTimer() override { ++timers; }
};

LPARAM Handle(KComponent& component) { return reinterpret_cast<LPARAM>(component.GetHWND()); }

TEST_F(KWindowTest, HasTopLevelDefaults) {
  KWindow window;
  EXPECT_STREQ(static_cast<const wchar_t*>(window.GetText()), L"KWindow");
  EXPECT_EQ(window.GetWidth(), 400);
  EXPECT_EQ(window.GetHeight(), 200);
  EXPECT_EQ(window.GetStyle(), static_cast<DWORD>(WS_POPUP));
  EXPECT_EQ(window.GetExStyle(), 0x00050010u);
  EXPECT_EQ(window.GetX(), static_cast<int>(CW_USEDEFAULT));
}

TEST_F(KWindowTest, ClosingDestroysTheWindowAndEndsTheMessageLoop) {
  KWindow window;
  ASSERT_TRUE(window.Create());
  PostMessageW(window.GetHWND(), WM_CLOSE, 0, 0);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_FALSE(IsWindow(window.GetHWND()));
}

TEST_F(KWindowTest, PlacementWithoutAndWithCentring) {
  KWindow window;
  ASSERT_TRUE(window.Create());
  RECT rect;
  GetWindowRect(window.GetHWND(), &rect);
  EXPECT_EQ(rect.left, 0) << "pop-ups ignore CW_USEDEFAULT";
  EXPECT_EQ(rect.top, 0);

  KWindow wide;
  wide.SetSize(GetSystemMetrics(SM_CXSCREEN) + 101, 100);
  wide.MoveToScreenCenter();
  EXPECT_EQ(wide.GetX(), -50);  // -101 / 2 truncates toward zero
  DestroyWindow(window.GetHWND());
  PumpMessages();
}

TEST_F(KWindowTest, AddChildNeedsAComponentAndAWindow) {
  TestWindow window;
  KButton button;
  EXPECT_FALSE(window.AddChild(&button));
  EXPECT_EQ(button.GetParentWindow(), nullptr);
  ASSERT_TRUE(window.Create());
  EXPECT_FALSE(window.AddChild(nullptr));
  ASSERT_TRUE(window.AddChild(&button));
  EXPECT_EQ(GetParent(button.GetHWND()), window.GetHWND());
}

TEST_F(KWindowTest, NotificationsReachTheRightObject) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  Listener listener;
  KButton first, second;
  KComboBox comboBox;
  KTrackBar trackBar;
  first.SetListener(&listener);
  comboBox.SetListener(&listener);
  trackBar.SetListener(&listener);
  ASSERT_TRUE(window.AddChild(&first));
  ASSERT_TRUE(window.AddChild(&second));
  ASSERT_TRUE(window.AddChild(&comboBox));
  ASSERT_TRUE(window.AddChild(&trackBar));
  HWND parent = window.GetHWND();

  // Two buttons with the same identifier 0: the handle tells them apart.
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), Handle(second));
  EXPECT_EQ(listener.presses, 0);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), Handle(first));
  EXPECT_EQ(listener.presses, 1);

  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), Handle(comboBox));
  EXPECT_EQ(listener.selections, 0) << "code 1 of a combo box reaches nobody";
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(0, CBN_SELENDOK), Handle(comboBox));
  EXPECT_EQ(listener.selections, 1);

  for (WORD code = 0; code <= TB_ENDTRACK; ++code) {
    SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(code, 0), Handle(trackBar));
  }
  EXPECT_EQ(listener.moves, 7) << "every code but TB_THUMBPOSITION and TB_ENDTRACK";
  SendMessageW(parent, WM_VSCROLL, MAKEWPARAM(TB_LINEDOWN, 0), Handle(trackBar));
  EXPECT_EQ(listener.moves, 8);
  SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(TB_LINEDOWN, 0), 0);  // its own scroll bar
  EXPECT_EQ(listener.moves, 8);
}

TEST_F(KWindowTest, ANotificationFromTheWrongKindOfControlGetsDefaultProcessing) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  Listener listener;
  KTextBox textBox;
  KButton button;
  button.SetListener(&listener);
  ASSERT_TRUE(window.AddChild(&textBox));
  ASSERT_TRUE(window.AddChild(&button));
  HWND parent = window.GetHWND();
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), Handle(textBox));
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(0, CBN_SELENDOK), Handle(button));
  SendMessageW(parent, WM_HSCROLL, MAKEWPARAM(TB_LINEUP, 0), Handle(button));
  EXPECT_EQ(listener.presses, 0);
}

TEST_F(KWindowTest, MenuCommandsAndTimersGoThroughTheirTables) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  Listener listener;
  KFrameworkState* state = GetFrameworkState();
  state->GetMenuItemTable()->PushItem(&listener);
  state->GetTimerTable()->PushItem(&listener);
  HWND parent = window.GetHWND();

  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(30000, 0), 0);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(30002, 0), 0);
  EXPECT_EQ(listener.menuPresses, 0);
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(30001, 0), 0);
  EXPECT_EQ(listener.menuPresses, 1);

  SetTimer(parent, 1001, 10, nullptr);
  for (int waited = 0; listener.timers == 0 && waited < 2000; waited += 10) {
    PumpMessages();
    Sleep(10);
  }
  KillTimer(parent, 1001);
  EXPECT_GE(listener.timers, 1);
}

LONG FontHeightOf(HWND control) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  LOGFONTW logFont = {};
  GetObjectW(font, sizeof logFont, &logFont);
  return logFont.lfHeight;
}

// Windows sends WM_DPICHANGED to a per-monitor-aware window moved to a
// display of another scale; Wine never does, so the test sends it.
TEST_F(KWindowTest, ADisplayOfAnotherScaleResizesTheWindowAndItsDefaultFonts) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  KButton button, ownFont;
  ASSERT_TRUE(window.AddChild(&button));
  ASSERT_TRUE(window.AddChild(&ownFont));
  HFONT chosen = CreateFontW(-30, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  KFont chosenFont(chosen, true);
  ownFont.SetFont(&chosenFont);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button.GetHWND(), WM_GETFONT, 0, 0)),
            GetStockGuiFont()->GetHFont()) << "at 96 DPI the stock font, as ever";

  struct Case {
    UINT dpi;
    RECT suggested;
    LONG fontHeight;  // 8 points
  } cases[] = {{144, {20, 30, 620, 330}, -16}, {192, {40, 50, 840, 450}, -21},
               {96, {10, 10, 410, 210}, -11}};
  for (const Case& c : cases) {
    SendMessageW(window.GetHWND(), WM_DPICHANGED, MAKEWPARAM(c.dpi, c.dpi),
                 reinterpret_cast<LPARAM>(&c.suggested));
    RECT rect;
    GetWindowRect(window.GetHWND(), &rect);
    EXPECT_TRUE(EqualRect(&rect, &c.suggested)) << c.dpi;
    EXPECT_EQ(FontHeightOf(button.GetHWND()), c.fontHeight) << c.dpi;
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(ownFont.GetHWND(), WM_GETFONT, 0, 0)), chosen)
        << "a font the program chose stays, at " << c.dpi;
  }
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(button.GetHWND(), WM_GETFONT, 0, 0)),
            GetStockGuiFont()->GetHFont());
}

}  // namespace
