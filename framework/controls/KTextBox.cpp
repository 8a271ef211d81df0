#include "KTextBox.h"

#include <cstdlib>

KTextBox::KTextBox() {
  SetWindowClassName(L"EDIT");
  SetSize(100, 20);
  SetPosition(0, 0);
  SetStyle(WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL);
  SetExStyle(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE);
}

bool KTextBox::Create() { return CreateControlWithFont(); }

KString KTextBox::GetText() {
  HWND window = GetHWND();
  if (window) {
    int length = GetWindowTextLengthW(window);
    wchar_t* buffer = length > 0 ? static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)))
                                 : nullptr;
    if (buffer) {
      GetWindowTextW(window, buffer, length + 1);
      SetStoredText(buffer);
      free(buffer);
    } else {
      SetStoredText(KString());
    }
  }
  return KComponent::GetText();
}

KTextBox::~KTextBox() {}
