#include <gtest/gtest.h>

#include <cwchar>
#include <set>

#include "Framework.h"
#include "KFont.h"
#include "KFrameworkState.h"

namespace {

class FakeTimer : public KTimer {
 public:
  void FireTimer() override {}
};

class FakeMenuItem : public KMenuItem {
 public:
  void FirePress() override {}
};

// Each test starts with the framework stopped and leaves it so.
class FrameworkTest : public ::testing::Test {
 protected:
  HINSTANCE instance_ = GetModuleHandleW(nullptr);
};

DWORD SumBehind(const KString& name) {
  const wchar_t* text = name;
  EXPECT_EQ(wcsncmp(text, L"QZR_", 4), 0) << text;
  return static_cast<DWORD>(_wtoi(text + 4));
}

TEST_F(FrameworkTest, NestedStartsKeepTheStateUntilTheLastStop) {
  StartFramework(instance_);
  StartFramework(instance_);
  KFrameworkState* state = GetFrameworkState();
  KFont* font = GetStockGuiFont();
  StopFramework();
  EXPECT_EQ(GetFrameworkState(), state);
  EXPECT_EQ(GetStockGuiFont(), font);
  EXPECT_EQ(state->GetInstanceHandle(), instance_);
  StopFramework();

  // A fresh state: the instance handle is not set until the next start.
  EXPECT_EQ(GetFrameworkState()->GetInstanceHandle(), nullptr);
  StartFramework(instance_);
  EXPECT_EQ(GetFrameworkState()->GetInstanceHandle(), instance_);
  ASSERT_NE(GetStockGuiFont(), nullptr);
  EXPECT_EQ(GetStockGuiFont()->GetHFont(), GetStockObject(DEFAULT_GUI_FONT));
  StopFramework();
}

TEST_F(FrameworkTest, ClassNamesFromOneTickAreUniqueAndIncreasing) {
  StartFramework(instance_);
  std::set<std::wstring> names;
  DWORD previous = SumBehind(GetFrameworkState()->MakeClassName());
  for (int i = 0; i < 2000; ++i) {
    KString name = GetFrameworkState()->MakeClassName();
    DWORD sum = SumBehind(name);
    EXPECT_GT(sum, previous);
    previous = sum;
    names.insert(static_cast<const wchar_t*>(name));
  }
  EXPECT_EQ(names.size(), 2000u);
  StopFramework();
}

TEST_F(FrameworkTest, ClassNamesPrintLargeSumsAsNegativeNumbers) {
  EXPECT_STREQ(static_cast<const wchar_t*>(KFrameworkState::ClassNameFor(12345)), L"QZR_12345");
  EXPECT_STREQ(static_cast<const wchar_t*>(KFrameworkState::ClassNameFor(0x80000000u)),
               L"QZR_-2147483648");
  EXPECT_STREQ(static_cast<const wchar_t*>(KFrameworkState::ClassNameFor(0xFFFFFFFFu)),
               L"QZR_-1");
}

TEST_F(FrameworkTest, TablesFindEntriesByBasePlusIndex) {
  StartFramework(instance_);
  KFrameworkState* state = GetFrameworkState();
  EXPECT_EQ(state->FindMenuItem(30000), nullptr);
  EXPECT_EQ(state->FindMenuItem(30001), nullptr);
  EXPECT_EQ(state->FindTimer(1000), nullptr);
  EXPECT_EQ(state->FindTimer(0), nullptr);

  FakeTimer timer;
  FakeMenuItem first, second;
  state->GetTimerTable()->PushItem(&timer);
  state->GetMenuItemTable()->PushItem(&first);
  state->GetMenuItemTable()->PushItem(&second);
  EXPECT_EQ(state->FindTimer(1001), &timer);
  EXPECT_EQ(state->FindTimer(1002), nullptr);
  EXPECT_EQ(state->FindMenuItem(30001), &first);
  EXPECT_EQ(state->FindMenuItem(30002), &second);
  EXPECT_EQ(state->FindMenuItem(30003), nullptr);
  StopFramework();  // frees the tables, not the objects in them
}

TEST_F(FrameworkTest, TheLastStopLeavesTheStockFontUsable) {
  StartFramework(instance_);
  HFONT stock = GetStockGuiFont()->GetHFont();
  StopFramework();
  LOGFONTW font;
  EXPECT_EQ(GetObjectW(stock, sizeof font, &font), static_cast<int>(sizeof font));
  EXPECT_EQ(GetObjectType(stock), static_cast<DWORD>(OBJ_FONT));
}

}  // namespace
