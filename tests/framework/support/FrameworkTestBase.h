#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "Framework.h"
#include "KComponent.h"
#include "KWindow.h"

// Starts the framework around each test, with this executable's resources.
class FrameworkTestBase : public ::testing::Test {
 protected:
  void SetUp() override { StartFramework(GetModuleHandleW(nullptr)); }
  void TearDown() override { StopFramework(); }
};

// Handles the messages waiting on this thread (posted ones included).
void PumpMessages();

// A component that records every message its WindowProc receives, and the
// handle it had when the first one arrived.
template <typename Base>
class Recording : public Base {
 public:
  LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (messages.empty()) handleAtFirstMessage = this->GetHWND();
    messages.push_back(message);
    return Base::WindowProc(window, message, wParam, lParam);
  }

  bool Saw(UINT message) const {
    for (UINT seen : messages) {
      if (seen == message) return true;
    }
    return false;
  }

  std::vector<UINT> messages;
  HWND handleAtFirstMessage = nullptr;
};

// A top-level window that stays hidden and is destroyed with the test.
class TestWindow : public Recording<KWindow> {
 public:
  TestWindow() { SetPosition(10, 10); }
  ~TestWindow() override {
    if (IsWindow(GetHWND())) DestroyWindow(GetHWND());
    PumpMessages();
  }
  // Destroying ends no message loop of the tests.
  void OnDestroy() override {}
};
