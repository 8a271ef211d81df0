#pragma once

#include <windows.h>

// Owns one icon loaded from the program's resources.
class KIcon {
 public:
  KIcon();
  KIcon(const KIcon&) = delete;
  KIcon& operator=(const KIcon&) = delete;

  // Loads the icon at the system's default icon size; null when the
  // resource does not exist. An icon already held is destroyed first.
  virtual void LoadIconResource(int resourceId);
  virtual HICON GetHandle();
  virtual ~KIcon();

 private:
  HICON icon_;
  HINSTANCE module_;
};
