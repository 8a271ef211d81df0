#include "KButton.h"

KButton::KButton() : listener_(nullptr) {
  SetListener(nullptr);
  SetWindowClassName(L"BUTTON");
  SetText(L"Button");
  SetSize(100, 30);
  SetPosition(0, 0);
  SetStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | BS_NOTIFY | BS_PUSHBUTTON);
  SetExStyle(WS_EX_WINDOWEDGE);
}

bool KButton::Create() { return CreateControlWithFont(); }

KButton::~KButton() {}

void KButton::SetListener(KButtonListener* listener) { listener_ = listener; }

KButtonListener* KButton::GetListener() { return listener_; }

void KButton::FirePress() {
  if (listener_) listener_->ButtonPressed(this);
}
