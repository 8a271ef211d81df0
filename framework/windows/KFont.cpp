#include "KFont.h"

KFont::KFont(HFONT font, bool owns) : font_(font), owns_(owns) {}

HFONT KFont::GetHFont() { return font_; }

KFont::~KFont() {
  if (owns_) DeleteObject(font_);
}
