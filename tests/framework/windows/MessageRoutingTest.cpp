#include <algorithm>
#include <atomic>
#include <thread>

#include "FrameworkTestBase.h"
#include "KFrameworkState.h"
#include "MessageRouting.h"

namespace {

using MessageRoutingTest = FrameworkTestBase;

HANDLE Property(HWND window, const wchar_t* name) { return GetPropW(window, name); }

TEST_F(MessageRoutingTest, TheFirstMessageOfACreatedWindowAlreadyReachesItsObject) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  ASSERT_FALSE(window.messages.empty());
  EXPECT_EQ(window.handleAtFirstMessage, window.GetHWND());
  EXPECT_TRUE(window.Saw(WM_NCCREATE));
  EXPECT_TRUE(window.Saw(WM_CREATE));

  HWND handle = window.GetHWND();
  EXPECT_EQ(Property(handle, L"QZR"), static_cast<KComponent*>(&window));
  // The window's own class has the framework's procedure as its own.
  EXPECT_EQ(Property(handle, L"QZROldProc"), reinterpret_cast<HANDLE>(FrameworkWndProc));
  EXPECT_STREQ(static_cast<const wchar_t*>(Property(handle, L"QZRClsName")),
               static_cast<const wchar_t*>(window.GetWindowClassName()));
  EXPECT_EQ(GetWindowLongW(handle, GWL_WNDPROC), reinterpret_cast<LONG>(FrameworkWndProc));
}

TEST_F(MessageRoutingTest, AWindowOfAFrameworkClassMadeOtherwiseGetsDefaultProcessing) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  size_t before = window.messages.size();
  HWND stranger = CreateWindowExW(0, window.GetWindowClassName(), L"stranger", WS_POPUP, 0, 0,
                                  50, 50, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(stranger, nullptr);
  EXPECT_EQ(Property(stranger, L"QZR"), nullptr);
  SetWindowTextW(stranger, L"renamed");  // DefWindowProcW keeps the text
  wchar_t text[16] = {};
  GetWindowTextW(stranger, text, 16);
  EXPECT_STREQ(text, L"renamed");
  DestroyWindow(stranger);
  EXPECT_EQ(window.messages.size(), before);
}

// A plain window with its own procedure, which notes what it sees.
struct PlainWindow {
  static std::vector<UINT> seen;
  static bool restoredBeforeNcDestroy;
  static bool propertiesGoneAtNcDestroy;

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    seen.push_back(message);
    if (message == WM_NCDESTROY) {
      restoredBeforeNcDestroy = GetWindowLongW(window, GWL_WNDPROC) == reinterpret_cast<LONG>(Proc);
      propertiesGoneAtNcDestroy = !GetPropW(window, L"QZR") && !GetPropW(window, L"QZROldProc") &&
                                  !GetPropW(window, L"QZRClsName");
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  static HWND Make() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VellumtonePlainWindow";
    RegisterClassExW(&windowClass);
    seen.clear();
    return CreateWindowExW(0, L"VellumtonePlainWindow", L"plain", WS_POPUP, 0, 0, 80, 40,
                           nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
};
std::vector<UINT> PlainWindow::seen;
bool PlainWindow::restoredBeforeNcDestroy = false;
bool PlainWindow::propertiesGoneAtNcDestroy = false;

TEST_F(MessageRoutingTest, NcDestroyUnbindsAndGoesToTheOldProcedureOnly) {
  Recording<KComponent> component;
  HWND window = PlainWindow::Make();
  component.AttachTo(window);
  SendMessageW(window, WM_USER + 1, 0, 0);
  EXPECT_TRUE(component.Saw(WM_USER + 1));
  EXPECT_NE(std::find(PlainWindow::seen.begin(), PlainWindow::seen.end(), WM_USER + 1),
            PlainWindow::seen.end()) << "default processing goes to the old procedure";

  DestroyWindow(window);
  EXPECT_TRUE(component.Saw(WM_DESTROY));
  EXPECT_FALSE(component.Saw(WM_NCDESTROY));
  EXPECT_EQ(PlainWindow::seen.back(), static_cast<UINT>(WM_NCDESTROY));
  EXPECT_TRUE(PlainWindow::restoredBeforeNcDestroy);
  EXPECT_TRUE(PlainWindow::propertiesGoneAtNcDestroy);
  EXPECT_EQ(component.GetHWND(), window) << "the component keeps its stale handle";
}

TEST_F(MessageRoutingTest, NcDestroyWithoutAnOldProcedureReachesTheObject) {
  Recording<KComponent> component;
  HWND window = PlainWindow::Make();
  component.AttachTo(window);
  SetPropW(window, L"QZROldProc", nullptr);
  DestroyWindow(window);
  EXPECT_TRUE(component.Saw(WM_NCDESTROY));
}

BOOL CALLBACK ExpectUnboundUnlessExpected(HWND other, LPARAM expected) {
  if (other != reinterpret_cast<HWND>(expected)) {
    EXPECT_EQ(GetPropW(other, L"QZR"), nullptr);
  }
  return TRUE;
}

TEST_F(MessageRoutingTest, OnlyTheComponentsOwnWindowsAreBound) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  // The system may make windows of its own on this thread meanwhile (the
  // IME window); none of them may point at the component.
  EnumThreadWindows(GetCurrentThreadId(), ExpectUnboundUnlessExpected,
                    reinterpret_cast<LPARAM>(window.GetHWND()));
}

TEST_F(MessageRoutingTest, WindowsOfOtherThreadsAreNeverBound) {
  std::atomic<bool> done(false);
  std::atomic<int> bound(0), made(0);
  std::thread other([&] {
    while (!done) {
      HWND window = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, GetModuleHandleW(nullptr), nullptr);
      if (GetPropW(window, L"QZR")) ++bound;
      ++made;
      DestroyWindow(window);
    }
  });
  // No ASSERT before the join: returning with the thread joinable would end
  // the whole test program.
  bool created = true;
  for (int i = 0; i < 100 && created; ++i) {
    TestWindow window;
    created = window.Create();
  }
  done = true;
  other.join();
  EXPECT_TRUE(created);
  EXPECT_GT(made, 0);
  EXPECT_EQ(bound, 0);
}

}  // namespace
