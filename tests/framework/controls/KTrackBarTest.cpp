#include "FrameworkTestBase.h"

#include <commctrl.h>
#include "KTrackBar.h"

namespace {

using KTrackBarTest = FrameworkTestBase;

struct MoveRecorder : KTrackBarListener {
  std::vector<int> values;
  std::vector<KTrackBar*> bars;
  void TrackBarMoved(KTrackBar* trackBar) override {
    bars.push_back(trackBar);
    values.push_back(trackBar->GetValue());
  }
};

LRESULT Position(KTrackBar& bar) { return SendMessageW(bar.GetHWND(), TBM_GETPOS, 0, 0); }

TEST_F(KTrackBarTest, CreatedWithTheStoredRangeAndValue) {
  KTrackBar bar;
  EXPECT_EQ(bar.GetValue(), 0);
  EXPECT_EQ(bar.GetWidth(), 100);
  EXPECT_EQ(bar.GetHeight(), 25);
  EXPECT_NE(bar.GetStyle() & TBS_NOTICKS, 0u);
  bar.SetRange(0, 100);
  bar.SetValue(50);
  TestWindow window;
  ASSERT_TRUE(window.Create());
  ASSERT_TRUE(window.AddChild(&bar));
  EXPECT_EQ(Position(bar), 50);
  EXPECT_EQ(SendMessageW(bar.GetHWND(), TBM_GETRANGEMAX, 0, 0), 100);
}

TEST_F(KTrackBarTest, AnAttachedSliderMovesOnlyWhenTold) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  HWND existing = CreateWindowExW(0, TRACKBAR_CLASSW, nullptr, WS_CHILD, 0, 0, 200, 30,
                                  window.GetHWND(), nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(existing, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SendMessageW(existing, TBM_SETPOS, TRUE, 7);
  KTrackBar bar;
  bar.AttachTo(existing);
  EXPECT_EQ(Position(bar), 7) << "the stored defaults are not applied";
  bar.SetRange(0, 100);
  bar.SetValue(50);
  EXPECT_EQ(Position(bar), 50);
}

TEST_F(KTrackBarTest, TheWindowGetsTheLow16BitsOfEachBound) {
  TestWindow window;
  ASSERT_TRUE(window.Create());
  KTrackBar bar;
  ASSERT_TRUE(window.AddChild(&bar));
  bar.SetRange(-5, 70000);
  EXPECT_EQ(SendMessageW(bar.GetHWND(), TBM_GETRANGEMAX, 0, 0), 70000 & 0xFFFF);
  LRESULT minimum = SendMessageW(bar.GetHWND(), TBM_GETRANGEMIN, 0, 0);
  EXPECT_TRUE(minimum == 0xFFFB || minimum == -5) << minimum;
}

TEST_F(KTrackBarTest, KeysAndDragsReportEveryStepButNotTheRelease) {
  TestWindow window;
  window.SetVisible(true);
  ASSERT_TRUE(window.Create());
  KTrackBar bar;
  MoveRecorder listener;
  bar.SetListener(&listener);
  bar.SetSize(300, 30);
  bar.SetValue(50);
  ASSERT_TRUE(window.AddChild(&bar));
  bar.SetValue(40);
  EXPECT_TRUE(listener.values.empty()) << "SetValue notifies nobody";

  HWND slider = bar.GetHWND();
  SetFocus(slider);
  SendMessageW(slider, WM_KEYDOWN, VK_RIGHT, 0);
  SendMessageW(slider, WM_KEYUP, VK_RIGHT, 0);  // its TB_ENDTRACK is not forwarded
  ASSERT_EQ(listener.values.size(), 1u);
  EXPECT_EQ(listener.values[0], 41) << "GetValue inside the call is the new position";
  EXPECT_EQ(listener.bars[0], &bar);

  // Drag the thumb three steps to the right, then let go.
  RECT thumb;
  SendMessageW(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  int x = (thumb.left + thumb.right) / 2, y = (thumb.top + thumb.bottom) / 2;
  listener.values.clear();
  SendMessageW(slider, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  for (int step = 1; step <= 3; ++step) {
    SendMessageW(slider, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 20 * step, y));
  }
  size_t whileDragging = listener.values.size();
  SendMessageW(slider, WM_LBUTTONUP, 0, MAKELPARAM(x + 60, y));
  EXPECT_EQ(whileDragging, 3u);
  EXPECT_EQ(listener.values.size(), whileDragging) << "the release reports nothing";
  ASSERT_FALSE(listener.values.empty());
  EXPECT_GT(listener.values.back(), 41);
  EXPECT_EQ(bar.GetValue(), Position(bar));
  window.SetVisible(false);
}

}  // namespace
