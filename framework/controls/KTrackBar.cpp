#include "KTrackBar.h"

#include <commctrl.h>

KTrackBar::KTrackBar() : minimum_(0), maximum_(100), value_(0), listener_(nullptr) {
  SetSize(100, 25);
  SetPosition(0, 0);
  SetStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | TBS_NOTICKS);
  SetExStyle(WS_EX_WINDOWEDGE);
  SetWindowClassName(TRACKBAR_CLASSW);
}

bool KTrackBar::Create() {
  if (!CreateControlWindow()) return false;
  SendFontToWindow();
  ApplyEnabledState();
  SendRange();
  SendValue();
  ShowIfVisible();
  return true;
}

KTrackBar::~KTrackBar() {}

void KTrackBar::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
  if (GetHWND()) SendRange();
}

void KTrackBar::SetValue(int value) {
  value_ = value;
  if (GetHWND()) SendValue();
}

int KTrackBar::GetValue() { return value_; }

void KTrackBar::SetListener(KTrackBarListener* listener) { listener_ = listener; }

void KTrackBar::FireMove() {
  value_ = static_cast<int>(SendMessageW(GetHWND(), TBM_GETPOS, 0, 0));
  if (listener_) listener_->TrackBarMoved(this);
}

void KTrackBar::SendRange() {
  LPARAM range = (static_cast<LPARAM>(maximum_ & 0xFFFF) << 16) | (minimum_ & 0xFFFF);
  SendMessageW(GetHWND(), TBM_SETRANGE, TRUE, range);
}

void KTrackBar::SendValue() { SendMessageW(GetHWND(), TBM_SETPOS, TRUE, value_); }
