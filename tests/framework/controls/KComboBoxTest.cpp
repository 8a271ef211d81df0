#include <string>

#include "FrameworkTestBase.h"
#include "KComboBox.h"

namespace {

using KComboBoxTest = FrameworkTestBase;

struct SelectionCounter : KComboBoxListener {
  int selections = 0;
  int selectionSeen = -2;
  void ComboItemSelected(KComboBox* comboBox) override {
    ++selections;
    selectionSeen = comboBox->GetSelection();
  }
};

std::wstring WindowItem(KComboBox& comboBox, int index) {
  wchar_t text[64] = {};
  SendMessageW(comboBox.GetHWND(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

void AddFive(KComboBox& comboBox) {
  for (const wchar_t* text : {L"64", L"128", L"256", L"320", L"128"}) comboBox.AppendItem(text);
}

TEST_F(KComboBoxTest, KeepsItemsAndSelectionUntilItIsCreated) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  KComboBox comboBox;
  EXPECT_EQ(comboBox.CountItems(), 0);
  EXPECT_EQ(comboBox.GetSelection(), -1);
  EXPECT_TRUE(comboBox.GetSelectedText().IsEmpty());
  AddFive(comboBox);
  comboBox.SetSelection(3);
  EXPECT_EQ(comboBox.GetSelection(), -1) << "no window to ask";

  ASSERT_TRUE(window.AddChild(&comboBox));
  EXPECT_EQ(SendMessageW(comboBox.GetHWND(), CB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(WindowItem(comboBox, 0), L"64");
  EXPECT_EQ(WindowItem(comboBox, 3), L"320");
  EXPECT_EQ(comboBox.GetSelection(), 3);
  EXPECT_STREQ(static_cast<const wchar_t*>(comboBox.GetSelectedText()), L"320");
}

TEST_F(KComboBoxTest, FindsTheFirstExactMatchOnly) {
  KComboBox comboBox;
  AddFive(comboBox);
  comboBox.AppendItem(L"Low");
  EXPECT_EQ(comboBox.FindItem(L"128"), 1);
  EXPECT_EQ(comboBox.FindItem(L"low"), -1);
  EXPECT_EQ(comboBox.FindItem(L""), -1);
  EXPECT_EQ(comboBox.FindItem(KString()), -1);
  comboBox.EraseItem(KString(L"128"));
  EXPECT_EQ(comboBox.CountItems(), 5);
  EXPECT_EQ(comboBox.FindItem(L"128"), 3);
  comboBox.EraseItem(KString(L"absent"));
  comboBox.EraseItem(99);
  EXPECT_EQ(comboBox.CountItems(), 5);
}

TEST_F(KComboBoxTest, ChangesGoToBothListsOnceTheWindowExists) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  KComboBox comboBox;
  ASSERT_TRUE(window.AddChild(&comboBox));
  AddFive(comboBox);
  comboBox.EraseItem(0);
  EXPECT_EQ(SendMessageW(comboBox.GetHWND(), CB_GETCOUNT, 0, 0), 4);
  EXPECT_EQ(WindowItem(comboBox, 0), L"128");
  comboBox.SetSelection(2);
  comboBox.RemoveAllItems();
  EXPECT_EQ(comboBox.CountItems(), 0);
  EXPECT_EQ(SendMessageW(comboBox.GetHWND(), CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(comboBox.GetSelection(), -1);
}

TEST_F(KComboBoxTest, OnlyAConfirmedPickByTheUserNotifies) {
  TestWindow window;
  window.SetVisible(true);
  ASSERT_TRUE(window.Create());
  KComboBox comboBox;
  SelectionCounter listener;
  comboBox.SetListener(&listener);
  AddFive(comboBox);
  ASSERT_TRUE(window.AddChild(&comboBox));
  comboBox.SetSelection(1);
  EXPECT_EQ(listener.selections, 0);

  // The keyboard: open the list, one down, confirm with Enter.
  HWND combo = comboBox.GetHWND();
  SetFocus(combo);
  for (WPARAM key : {VK_F4, VK_DOWN, VK_RETURN}) {
    SendMessageW(combo, WM_KEYDOWN, key, 0);
    PumpMessages();
  }
  EXPECT_EQ(listener.selections, 1);
  EXPECT_EQ(listener.selectionSeen, 2);
  EXPECT_STREQ(static_cast<const wchar_t*>(comboBox.GetSelectedText()), L"256");
  window.SetVisible(false);
}

}  // namespace
