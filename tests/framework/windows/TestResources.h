#pragma once

// Resources of the framework's test programs.
#define TEST_ICON_ID 201
#define TEST_DIALOG_ID 300
#define TEST_BUTTON_ID 1001
#define TEST_EDIT_ID 1002
#define TEST_COMBO_ID 1003
#define TEST_TRACKBAR_ID 1004
#define TEST_PROGRESS_ID 1005

#ifndef RC_INVOKED
constexpr int kTestIconId = TEST_ICON_ID;
constexpr int kTestDialogId = TEST_DIALOG_ID;
constexpr int kTestButtonId = TEST_BUTTON_ID;
constexpr int kTestEditId = TEST_EDIT_ID;
constexpr int kTestComboId = TEST_COMBO_ID;
constexpr int kTestTrackBarId = TEST_TRACKBAR_ID;
constexpr int kTestProgressId = TEST_PROGRESS_ID;
#endif
