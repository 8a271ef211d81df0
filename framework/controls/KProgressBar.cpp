#include "KProgressBar.h"

#include <commctrl.h>

KProgressBar::KProgressBar() : value_(0) {
  SetWindowClassName(PROGRESS_CLASSW);
  SetPosition(0, 0);
  SetSize(100, 20);
  SetStyle(WS_CHILD | WS_CLIPSIBLINGS | PBS_SMOOTH);
  SetExStyle(WS_EX_WINDOWEDGE);
}

// No font; the range is set here only: an attached bar keeps its own.
bool KProgressBar::Create() {
  if (!CreateControlWindow()) return false;
  SendMessageW(GetHWND(), PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendMessageW(GetHWND(), PBM_SETPOS, value_, 0);
  ApplyEnabledState();
  ShowIfVisible();
  return true;
}

KProgressBar::~KProgressBar() {}

int KProgressBar::GetValue() { return value_; }

void KProgressBar::SetValue(int value) {
  value_ = value;
  if (GetHWND()) SendMessageW(GetHWND(), PBM_SETPOS, value, 0);
}
