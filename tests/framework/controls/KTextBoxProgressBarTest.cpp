#include <string>

#include "FrameworkTestBase.h"

#include <commctrl.h>
#include "KProgressBar.h"
#include "KTextBox.h"

namespace {

using KTextBoxTest = FrameworkTestBase;
using KProgressBarTest = FrameworkTestBase;

void Type(HWND edit, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(edit, WM_CHAR, c, 1);
}

TEST_F(KTextBoxTest, ReturnsWhatTheUserTypedAndKeepsIt) {
  KTextBox textBox;
  EXPECT_TRUE(textBox.GetText().IsEmpty());
  textBox.SetText(L"stored");
  EXPECT_STREQ(static_cast<const wchar_t*>(textBox.GetText()), L"stored");

  TestWindow window;
  ASSERT_TRUE(window.Create());
  ASSERT_TRUE(window.AddChild(&textBox));
  HWND edit = textBox.GetHWND();
  EXPECT_STREQ(static_cast<const wchar_t*>(textBox.GetText()), L"stored") << "initial content";

  SendMessageW(edit, EM_SETSEL, 0, -1);
  Type(edit, L"typed");
  EXPECT_STREQ(static_cast<const wchar_t*>(textBox.GetText()), L"typed");
  EXPECT_STREQ(static_cast<const wchar_t*>(textBox.KComponent::GetText()), L"typed") << "kept";

  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_CHAR, VK_BACK, 1);
  EXPECT_TRUE(textBox.GetText().IsEmpty());
  EXPECT_TRUE(textBox.KComponent::GetText().IsEmpty());

  const std::wstring longText(700, L'x');
  SetWindowTextW(edit, longText.c_str());
  EXPECT_EQ(textBox.GetText().GetLength(), 700);
}

TEST_F(KProgressBarTest, ShowsTheStoredValueAndGetsItsRangeOnlyFromCreate) {
  KProgressBar bar;
  EXPECT_EQ(bar.GetValue(), 0);
  EXPECT_EQ(bar.GetWidth(), 100);
  EXPECT_EQ(bar.GetHeight(), 20);
  EXPECT_NE(bar.GetStyle() & PBS_SMOOTH, 0u);
  bar.SetValue(55);
  KProgressBar attached;  // both outlive the window: its destruction still reaches them
  TestWindow window;
  ASSERT_TRUE(window.Create());
  ASSERT_TRUE(window.AddChild(&bar));
  EXPECT_EQ(SendMessageW(bar.GetHWND(), PBM_GETPOS, 0, 0), 55);
  EXPECT_EQ(SendMessageW(bar.GetHWND(), PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageW(bar.GetHWND(), PBM_GETRANGE, TRUE, 0), 0);
  bar.SetValue(250);
  EXPECT_EQ(bar.GetValue(), 250) << "the object does not clamp";

  HWND existing = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD, 0, 0, 50, 10,
                                  window.GetHWND(), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(existing, PBM_SETRANGE32, 0, 200);
  attached.AttachTo(existing);
  attached.SetValue(150);
  EXPECT_EQ(SendMessageW(existing, PBM_GETRANGE, FALSE, 0), 200) << "an attached bar keeps its range";
  EXPECT_EQ(SendMessageW(existing, PBM_GETPOS, 0, 0), 150);
}

TEST_F(KProgressBarTest, TakesValuesFromAnotherThread) {
  KProgressBar bar;  // outlives the window: its destruction still reaches the bar
  TestWindow window;
  ASSERT_TRUE(window.Create());
  ASSERT_TRUE(window.AddChild(&bar));
  struct Worker {
    static DWORD WINAPI Run(void* bar) {
      for (int value = 0; value <= 100; ++value) static_cast<KProgressBar*>(bar)->SetValue(value);
      return 0;
    }
  };
  HANDLE thread = CreateThread(nullptr, 0, Worker::Run, &bar, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  // The window's thread serves the worker's sent messages until the worker
  // has ended: the bar must not go while it is still being set.
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    PumpMessages();
  }
  CloseHandle(thread);
  EXPECT_EQ(SendMessageW(bar.GetHWND(), PBM_GETPOS, 0, 0), 100);
}

}  // namespace
