#include <gtest/gtest.h>

#include "Framework.h"
#include "KFont.h"
#include "KIcon.h"
#include "TestResources.h"

namespace {

HFONT NewFont() {
  return CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH, L"Tahoma");
}

TEST(KFontTest, DeletesOnlyAFontItOwns) {
  HFONT owned = NewFont(), borrowed = NewFont();
  delete new KFont(owned, true);
  delete new KFont(borrowed, false);
  EXPECT_EQ(GetObjectType(owned), 0u);
  EXPECT_EQ(GetObjectType(borrowed), static_cast<DWORD>(OBJ_FONT));
  DeleteObject(borrowed);
}

class KIconTest : public ::testing::Test {
 protected:
  void SetUp() override { StartFramework(GetModuleHandleW(nullptr)); }
  void TearDown() override { StopFramework(); }
};

TEST_F(KIconTest, LoadsAnIconAtTheDefaultSizeFromTheProgramsResources) {
  KIcon icon;
  icon.LoadIconResource(kTestIconId);
  ASSERT_NE(icon.GetHandle(), nullptr);
  ICONINFO info;
  ASSERT_TRUE(GetIconInfo(icon.GetHandle(), &info));
  BITMAP bitmap;
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXICON));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

TEST_F(KIconTest, AMissingResourceLeavesNoIcon) {
  KIcon icon;
  EXPECT_EQ(icon.GetHandle(), nullptr);
  icon.LoadIconResource(4711);
  EXPECT_EQ(icon.GetHandle(), nullptr);
}

}  // namespace
