#include "FrameworkTestBase.h"
#include "KButton.h"

namespace {

using KButtonTest = FrameworkTestBase;

struct PressCounter : KButtonListener {
  std::vector<KButton*> pressed;
  void ButtonPressed(KButton* button) override { pressed.push_back(button); }
};

TEST_F(KButtonTest, HasButtonDefaultsBeforeAnyWindow) {
  KButton button;
  EXPECT_STREQ(static_cast<const wchar_t*>(button.GetText()), L"Button");
  EXPECT_STREQ(static_cast<const wchar_t*>(button.GetWindowClassName()), L"BUTTON");
  EXPECT_EQ(button.GetWidth(), 100);
  EXPECT_EQ(button.GetHeight(), 30);
  EXPECT_EQ(button.GetX(), 0);
  EXPECT_EQ(button.GetY(), 0);
  EXPECT_EQ(button.GetStyle(), 0x44014000u);
  EXPECT_EQ(button.GetExStyle(), 0x00000100u);
  EXPECT_EQ(button.GetListener(), nullptr);
  EXPECT_FALSE(button.Create()) << "no parent window";
  EXPECT_EQ(button.GetHWND(), nullptr);
}

TEST_F(KButtonTest, ARealClickReachesOnlyTheCurrentListener) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  KButton button, silent;
  PressCounter first, second;
  button.SetText(L"Go");
  button.SetListener(&first);
  ASSERT_TRUE(window.AddChild(&button));
  ASSERT_TRUE(window.AddChild(&silent));
  EXPECT_EQ(GetDlgCtrlID(button.GetHWND()), 0);
  EXPECT_EQ(SendMessageW(button.GetHWND(), WM_GETFONT, 0, 0),
            reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT)));

  SendMessageW(button.GetHWND(), BM_CLICK, 0, 0);
  ASSERT_EQ(first.pressed.size(), 1u);
  EXPECT_EQ(first.pressed[0], &button);

  button.SetListener(&second);
  SendMessageW(button.GetHWND(), BM_CLICK, 0, 0);
  EXPECT_EQ(first.pressed.size(), 1u);
  EXPECT_EQ(second.pressed.size(), 1u);
  button.SetListener(nullptr);
  SendMessageW(button.GetHWND(), BM_CLICK, 0, 0);
  EXPECT_EQ(second.pressed.size(), 1u);

  size_t before = window.messages.size();
  SendMessageW(silent.GetHWND(), BM_CLICK, 0, 0);  // no listener: nothing happens
  EXPECT_GT(window.messages.size(), before);

  button.SetListener(&second);
  button.FirePress();  // acts as a click
  ASSERT_EQ(second.pressed.size(), 2u);
  EXPECT_EQ(second.pressed[1], &button);
}

TEST_F(KButtonTest, ADisabledOrHiddenButtonIsCreatedSo) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  KButton button;
  button.SetEnabled(false);
  button.SetVisible(false);
  ASSERT_TRUE(window.AddChild(&button));
  EXPECT_FALSE(IsWindowEnabled(button.GetHWND()));
  EXPECT_EQ(GetWindowLongW(button.GetHWND(), GWL_STYLE) & WS_VISIBLE, 0);
}

}  // namespace
