#pragma once

// Resources of the framework's test programs.
#define TEST_ICON_ID 201

#ifndef RC_INVOKED
constexpr int kTestIconId = TEST_ICON_ID;
#endif
