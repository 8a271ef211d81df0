#include "KIcon.h"

#include "Framework.h"
#include "KFrameworkState.h"

KIcon::KIcon() : icon_(nullptr), module_(GetFrameworkState()->GetInstanceHandle()) {}

void KIcon::LoadIconResource(int resourceId) {
  if (icon_) DestroyIcon(icon_);
  icon_ = static_cast<HICON>(
      LoadImageW(module_, MAKEINTRESOURCEW(resourceId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

HICON KIcon::GetHandle() { return icon_; }

KIcon::~KIcon() {
  if (icon_) DestroyIcon(icon_);
}
