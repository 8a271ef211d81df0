#include "KWindow.h"

#include <commctrl.h>

#include "Framework.h"
#include "KButton.h"
#include "KComboBox.h"
#include "KFont.h"
#include "KFrameworkState.h"
#include "KIcon.h"
#include "KTrackBar.h"

namespace {

constexpr LONG kDefaultWidth = 400;
constexpr LONG kDefaultHeight = 200;
constexpr DWORD kDefaultExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES;
constexpr UINT kClassStyle = CS_OWNDC | CS_HREDRAW | CS_VREDRAW;

// The object bound to the notifying control, if it is of the kind that
// sends this notification; anything else gets default processing.
template <typename Control>
Control* ControlOf(LPARAM lParam) {
  if (!lParam) return nullptr;
  auto* component = static_cast<KComponent*>(GetPropW(reinterpret_cast<HWND>(lParam), L"QZR"));
  return dynamic_cast<Control*>(component);
}

// Every step of a track-bar movement, but not the thumb's release
// (TB_THUMBPOSITION) nor the end of the movement (TB_ENDTRACK).
bool IsForwardedScrollCode(WORD code) {
  return code <= TB_PAGEDOWN || code == TB_THUMBTRACK || code == TB_TOP || code == TB_BOTTOM;
}

// A child that shows the default font gets it at the window's new scale;
// a font the application chose stays.
BOOL CALLBACK RescaleDefaultFont(HWND child, LPARAM dpi) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
  KFont* scaled = IsGuiFont(font) ? GetGuiFontForDpi(static_cast<UINT>(dpi)) : nullptr;
  if (scaled && scaled->GetHFont() != font) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(scaled->GetHFont()), TRUE);
  }
  return TRUE;
}

}  // namespace

KWindow::KWindow() {
  SetText(L"KWindow");
  SetSize(kDefaultWidth, kDefaultHeight);
  SetVisible(false);
  SetStyle(WS_POPUP);
  SetExStyle(kDefaultExStyle);
  SetClassStyle(kClassStyle);
}

KWindow::~KWindow() {}

LRESULT KWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      Destroy();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_COMMAND:
      return OnCommand(window, wParam, lParam);
    case WM_TIMER:
      return OnTimer(window, wParam, lParam);
    case WM_HSCROLL:
    case WM_VSCROLL:
      return OnScroll(window, message, wParam, lParam);
    case WM_DPICHANGED:
      return OnDpiChanged(window, wParam, lParam);
    default:
      return DefaultProcessing(window, message, wParam, lParam);
  }
}

// Code 1 would be a list box's selection change; there is no list-box
// component, and a combo box reports a selection only by CBN_SELENDOK, so
// code 1 always gets default processing.
LRESULT KWindow::OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  WORD code = HIWORD(wParam);
  if (code == BN_CLICKED && lParam) {
    if (KButton* button = ControlOf<KButton>(lParam)) {
      button->FirePress();
      return 0;
    }
  } else if (code == BN_CLICKED) {
    if (KMenuItem* item = GetFrameworkState()->FindMenuItem(LOWORD(wParam))) {
      item->FirePress();
      return 0;
    }
  } else if (code == CBN_SELENDOK) {
    if (KComboBox* comboBox = ControlOf<KComboBox>(lParam)) {
      comboBox->FireSelection();
      return 0;
    }
  }
  return DefaultProcessing(window, WM_COMMAND, wParam, lParam);
}

LRESULT KWindow::OnTimer(HWND window, WPARAM wParam, LPARAM lParam) {
  if (KTimer* timer = GetFrameworkState()->FindTimer(static_cast<UINT>(wParam))) {
    timer->FireTimer();
    return 0;
  }
  return DefaultProcessing(window, WM_TIMER, wParam, lParam);
}

LRESULT KWindow::OnScroll(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsForwardedScrollCode(LOWORD(wParam))) {
    if (KTrackBar* trackBar = ControlOf<KTrackBar>(lParam)) {
      trackBar->FireMove();
      return 0;
    }
  }
  return DefaultProcessing(window, message, wParam, lParam);
}

// A per-monitor-aware window moved to a display of another scale. A dialog
// has been rescaled by the dialog manager in the default processing (its
// size, its controls and its template's font); any window takes the size
// the system suggests, which keeps it the same to the eye, and the
// children that show the default font get it at the new scale.
LRESULT KWindow::OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam) {
  LRESULT result = DefaultProcessing(window, WM_DPICHANGED, wParam, lParam);
  if (const RECT* suggested = reinterpret_cast<const RECT*>(lParam)) {
    SetWindowPos(window, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  EnumChildWindows(window, RescaleDefaultFont, HIWORD(wParam));
  return result;
}

void KWindow::SetIcon(KIcon* icon) {
  SetClassLongW(GetHWND(), GCL_HICON, reinterpret_cast<LONG>(icon ? icon->GetHandle() : nullptr));
}

void KWindow::Destroy() { DestroyWindow(GetHWND()); }

void KWindow::OnDestroy() { PostQuitMessage(0); }

void KWindow::MoveToScreenCenter() {
  SetPosition((GetSystemMetrics(SM_CXSCREEN) - GetWidth()) / 2,
              (GetSystemMetrics(SM_CYSCREEN) - GetHeight()) / 2);
}

bool KWindow::AddChild(KComponent* component) {
  if (!component || !GetHWND()) return false;
  component->SetParentWindow(GetHWND());
  return component->Create();
}
