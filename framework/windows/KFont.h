#pragma once

#include <windows.h>

// Carries a GDI font handle to components; deletes it only when it owns it.
class KFont {
 public:
  KFont(HFONT font, bool owns);
  KFont(const KFont&) = delete;
  KFont& operator=(const KFont&) = delete;

  virtual HFONT GetHFont();
  virtual ~KFont();

 private:
  HFONT font_;
  bool owns_;
};
