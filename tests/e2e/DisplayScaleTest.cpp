// The real program at the display scales of today's laptops: 100, 150 and
// 200 % (96, 144 and 192 DPI), set through the test prefix's LogPixels,
// which holds for every program started after it is set.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "AppDriver.h"

namespace {

template <typename Function>
Function User32(const char* name) {
  return reinterpret_cast<Function>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32"), name)));
}

const DPI_AWARENESS_CONTEXT kPerMonitorAwareV2 = reinterpret_cast<DPI_AWARENESS_CONTEXT>(-4);
const DPI_AWARENESS_CONTEXT kPerMonitorAware = reinterpret_cast<DPI_AWARENESS_CONTEXT>(-3);

// The display's scale for programs started from now on; the value before is
// put back when the object goes, also when the test fails.
class PrefixDisplayScale {
 public:
  explicit PrefixDisplayScale(DWORD dpi) {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key_, nullptr);
    DWORD size = sizeof before_;
    hadValue_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr,
                                 reinterpret_cast<BYTE*>(&before_), &size) == ERROR_SUCCESS;
    Set(dpi);
  }
  ~PrefixDisplayScale() {
    if (hadValue_) {
      Set(before_);
    } else {
      RegDeleteValueW(key_, L"LogPixels");
    }
    RegCloseKey(key_);
  }

 private:
  void Set(DWORD dpi) {
    RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                   sizeof dpi);
  }

  HKEY key_ = nullptr;
  DWORD before_ = 0;
  bool hadValue_ = false;
};

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

BOOL CALLBACK CollectChild(HWND child, LPARAM children) {
  reinterpret_cast<std::vector<HWND>*>(children)->push_back(child);
  return TRUE;
}

// Every static text and button (push button or group box) of the window
// shows its whole text: measured in the dialog's font at that scale (8
// points of "MS Shell Dlg", as the template asks), it fits the control.
void ExpectNoTextCut(HWND window, UINT dpi) {
  HFONT font = CreateFontW(-MulDiv(8, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0,
                           DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg");
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  std::vector<HWND> children;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
  int checked = 0;
  for (HWND child : children) {
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    std::wstring text = TextOf(child);
    bool isButton = _wcsicmp(className, L"Button") == 0;
    if (text.empty() || (!isButton && _wcsicmp(className, L"Static") != 0)) continue;
    SIZE extent;
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    RECT client;
    GetClientRect(child, &client);
    int margin = isButton ? 4 : 0;  // a button's frame
    EXPECT_LE(extent.cx + 2 * margin, client.right) << Narrow(text) << " at " << dpi;
    EXPECT_LE(extent.cy, client.bottom) << Narrow(text) << " at " << dpi;
    ++checked;
  }
  EXPECT_EQ(checked, 18) << "the statics, buttons and group boxes of the main window";
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(font);
}

SIZE SizeOf(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

TEST(DisplayScaleTest, TheWindowIsAwareScaledAndWholeAtEachScale) {
  // This thread sees the program's window in its real pixels only when it
  // is per-monitor aware itself; else they are mapped to 96 DPI.
  auto setContext = User32<DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT)>(
      "SetThreadDpiAwarenessContext");
  auto windowContext = User32<DPI_AWARENESS_CONTEXT(WINAPI*)(HWND)>("GetWindowDpiAwarenessContext");
  auto awarenessOf = User32<DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT)>(
      "GetAwarenessFromDpiAwarenessContext");
  ASSERT_TRUE(setContext && windowContext && awarenessOf);
  ASSERT_TRUE(setContext(kPerMonitorAwareV2) || setContext(kPerMonitorAware));

  SIZE atDefault = {};
  for (UINT dpi : {96u, 144u, 192u}) {
    PrefixDisplayScale scale(dpi);
    AppDriver app;
    ASSERT_TRUE(app.Launch()) << dpi;
    // Per-monitor (v2) where the system knows it, as Windows 10 1703 on
    // does; system-aware before it, and in Wine 8, which reads only the
    // manifest's fallback. Unaware, the program would be drawn at 96 DPI.
    DPI_AWARENESS awareness = awarenessOf(windowContext(app.Window()));
    EXPECT_TRUE(awareness == DPI_AWARENESS_SYSTEM_AWARE ||
                awareness == DPI_AWARENESS_PER_MONITOR_AWARE)
        << "awareness " << awareness << " at " << dpi;
    RecordProperty("awareness", awareness);

    SIZE size = SizeOf(app.Window());
    if (dpi == 96) atDefault = size;
    double expected = dpi / 96.0;
    EXPECT_NEAR(static_cast<double>(size.cx) / atDefault.cx, expected, 0.08 * expected) << dpi;
    EXPECT_NEAR(static_cast<double>(size.cy) / atDefault.cy, expected, 0.08 * expected) << dpi;
    ExpectNoTextCut(app.Window(), dpi);

    CreateDirectoryW(BuildPath(VT_SCREENSHOTS).c_str(), nullptr);
    std::string shot = std::string(VT_SCREENSHOTS) + "/dpi-" + std::to_string(dpi) + ".bmp";
    EXPECT_TRUE(app.SaveScreenshot(BuildPath(shot.c_str())));
    app.Close();
    EXPECT_EQ(app.WaitForExit(), 0u) << dpi;
  }
}

}  // namespace
