#include <string>

#include "FrameworkTestBase.h"

namespace {

using KComponentTest = FrameworkTestBase;

TEST_F(KComponentTest, SettersBeforeCreateOnlyStoreAndCreateUsesThem) {
  TestWindow window;
  window.SetText(L"Stored caption");
  window.SetSize(321, 123);
  window.SetPosition(40, 50);
  window.SetStyle(WS_POPUP | WS_CAPTION);
  EXPECT_FALSE(window.IsVisible()) << "no window yet";
  ASSERT_TRUE(window.Create());

  HWND handle = window.GetHWND();
  RECT rect;
  GetWindowRect(handle, &rect);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 50);
  EXPECT_EQ(rect.right - rect.left, 321);
  EXPECT_EQ(rect.bottom - rect.top, 123);
  EXPECT_NE(GetWindowLongW(handle, GWL_STYLE) & WS_CAPTION, 0);
  EXPECT_FALSE(IsWindowVisible(handle)) << "KWindow's visible flag is off by default";
  wchar_t text[32] = {};
  GetWindowTextW(handle, text, 32);
  EXPECT_STREQ(text, L"Stored caption");
}

TEST_F(KComponentTest, SettersWriteThroughOnceTheWindowExists) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  HWND handle = window.GetHWND();
  window.SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(handle));
  EXPECT_TRUE(window.IsVisible());
  window.SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(handle));
  window.SetSize(200, 90);
  RECT rect;
  GetWindowRect(handle, &rect);
  EXPECT_EQ(rect.right - rect.left, 200);

  SetWindowTextW(handle, L"changed behind its back");
  EXPECT_STREQ(static_cast<const wchar_t*>(window.GetText()), L"KWindow")
      << "GetText returns the stored text, not the window's";
  window.SetVisible(false);
}

TEST_F(KComponentTest, ASecondCreateFailsAndTheClassGoesWithTheObject) {
  KString className;
  {
    TestWindow window;
    className = window.GetWindowClassName();
    ASSERT_TRUE(window.Create());
    HWND first = window.GetHWND();
    EXPECT_FALSE(window.Create());
    EXPECT_EQ(window.GetHWND(), first);
    WNDCLASSEXW info = {};
    info.cbSize = sizeof info;
    EXPECT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), className, &info));
  }
  WNDCLASSEXW info = {};
  info.cbSize = sizeof info;
  EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), className, &info));
}

TEST_F(KComponentTest, AttachingReadsTheWindowBackWithCutTextAndClassName) {
  const std::wstring longClass(80, L'C');
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = longClass.c_str();
  ASSERT_TRUE(RegisterClassExW(&windowClass));
  TestWindow parent;
  parent.SetPosition(100, 120);
  ASSERT_TRUE(parent.Create());
  const std::wstring longText(300, L't');
  HWND child = CreateWindowExW(WS_EX_CLIENTEDGE, longClass.c_str(), longText.c_str(),
                               WS_CHILD | WS_VISIBLE, 5, 7, 60, 30, parent.GetHWND(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(child, nullptr);

  KComponent component;
  component.AttachTo(child);
  EXPECT_EQ(component.GetWindowClassName().GetLength(), 63);
  EXPECT_EQ(component.GetText().GetLength(), 254);
  POINT origin = {0, 0};
  ClientToScreen(parent.GetHWND(), &origin);
  EXPECT_EQ(component.GetX(), origin.x + 5) << "screen coordinates";
  EXPECT_EQ(component.GetY(), origin.y + 7);
  EXPECT_EQ(component.GetWidth(), 60);
  EXPECT_EQ(component.GetParentWindow(), parent.GetHWND());
  EXPECT_NE(component.GetExStyle() & WS_EX_CLIENTEDGE, 0u);
  EXPECT_FALSE(component.IsVisible()) << "its hidden parent hides it";
  DestroyWindow(child);
  UnregisterClassW(longClass.c_str(), GetModuleHandleW(nullptr));
}

TEST_F(KComponentTest, AttachingToNoWindowChangesNothing) {
  KComponent component;
  KString className = component.GetWindowClassName();
  component.AttachTo(nullptr);
  component.AttachTo(reinterpret_cast<HWND>(0x7ffe1234));
  EXPECT_EQ(component.GetHWND(), nullptr);
  EXPECT_TRUE(component.GetWindowClassName().SameAs(className));
}

}  // namespace
