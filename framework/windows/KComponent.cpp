#include "KComponent.h"

#include "Framework.h"
#include "KDpi.h"
#include "KFont.h"
#include "KFrameworkState.h"
#include "KMousePointer.h"
#include "MessageRouting.h"

namespace {

constexpr int kClassNameBuffer = 64;  // 63 characters and the terminator
constexpr int kTextBuffer = 256;
constexpr int kTextMaxCount = 255;    // 254 characters and the terminator

}  // namespace

KComponent::KComponent()
    : className_(GetFrameworkState()->MakeClassName()),
      window_(nullptr),
      parent_(nullptr),
      style_(0),
      exStyle_(0),
      x_(CW_USEDEFAULT),
      y_(CW_USEDEFAULT),
      width_(CW_USEDEFAULT),
      height_(CW_USEDEFAULT),
      visible_(true),
      enabled_(true),
      registered_(false),
      font_(nullptr),
      cursor_(nullptr),
      windowClass_() {
  windowClass_.cbSize = sizeof windowClass_;
  windowClass_.lpfnWndProc = FrameworkWndProc;
  windowClass_.hInstance = GetFrameworkState()->GetInstanceHandle();
  windowClass_.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass_.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass_.lpszClassName = className_;
  font_ = GetStockGuiFont();
}

void KComponent::OnAttached() {
  RECT rect;
  GetWindowRect(window_, &rect);
  x_ = rect.left;
  y_ = rect.top;
  width_ = rect.right - rect.left;
  height_ = rect.bottom - rect.top;
  visible_ = IsWindowVisible(window_) != 0;
  enabled_ = IsWindowEnabled(window_) != 0;
  style_ = static_cast<DWORD>(GetWindowLongW(window_, GWL_STYLE));
  exStyle_ = static_cast<DWORD>(GetWindowLongW(window_, GWL_EXSTYLE));
  parent_ = GetParent(window_);
  wchar_t text[kTextBuffer] = {};
  GetWindowTextW(window_, text, kTextMaxCount);
  text_ = text;
}

void KComponent::AttachTo(HWND window) {
  if (!window || !IsWindow(window)) return;
  window_ = window;
  SetPropW(window, L"QZR", this);
  SetPropW(window, L"QZROldProc", reinterpret_cast<HANDLE>(GetWindowLongW(window, GWL_WNDPROC)));
  wchar_t className[kClassNameBuffer] = {};
  GetClassNameW(window, className, kClassNameBuffer);
  SetWindowClassName(className);
  GetClassInfoExW(GetFrameworkState()->GetInstanceHandle(), className_, &windowClass_);
  windowClass_.lpszClassName = className_;
  SetPropW(window, L"QZRClsName",
           const_cast<wchar_t*>(static_cast<const wchar_t*>(className_)));
  SetWindowLongW(window, GWL_WNDPROC, reinterpret_cast<LONG>(FrameworkWndProc));
  OnAttached();
}

void KComponent::ChangeCursor(KMousePointer* cursor) {
  cursor_ = cursor;
  if (window_ && cursor_) {
    SetClassLongW(window_, GCL_HCURSOR, reinterpret_cast<LONG>(cursor_->GetHandle()));
  }
}

KString KComponent::GetWindowClassName() { return className_; }

bool KComponent::Create() {
  if (!RegisterClassExW(&windowClass_)) return false;
  registered_ = true;
  CreateComponentWindow(this);
  if (!window_) return false;
  ApplyEnabledState();
  ShowIfVisible();
  if (cursor_) SetClassLongW(window_, GCL_HCURSOR, reinterpret_cast<LONG>(cursor_->GetHandle()));
  return true;
}

LRESULT KComponent::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultProcessing(window, message, wParam, lParam);
}

void KComponent::SetFont(KFont* font) {
  font_ = font;
  if (window_ && font_) {
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(FontAtWindowScale()), TRUE);
  }
}

KFont* KComponent::GetFont() { return font_; }

KString KComponent::GetText() { return text_; }

void KComponent::SetText(const KString& text) {
  text_ = text;
  if (window_) SetWindowTextW(window_, text_);
}

void KComponent::SetHWND(HWND window) { window_ = window; }

HWND KComponent::GetHWND() { return window_; }

void KComponent::SetParentWindow(HWND parent) {
  parent_ = parent;
  if (window_) SetParent(window_, parent_);
}

HWND KComponent::GetParentWindow() { return parent_; }

DWORD KComponent::GetStyle() { return style_; }

void KComponent::SetStyle(DWORD style) {
  style_ = style;
  if (window_) SetWindowLongW(window_, GWL_STYLE, static_cast<LONG>(style_));
}

DWORD KComponent::GetExStyle() { return exStyle_; }

void KComponent::SetExStyle(DWORD exStyle) {
  exStyle_ = exStyle;
  if (window_) SetWindowLongW(window_, GWL_EXSTYLE, static_cast<LONG>(exStyle_));
}

int KComponent::GetX() { return x_; }

int KComponent::GetY() { return y_; }

int KComponent::GetWidth() { return width_; }

int KComponent::GetHeight() { return height_; }

// No SWP_NOZORDER: the window also comes to the top of the Z order.
void KComponent::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  if (window_) {
    SetWindowPos(window_, nullptr, 0, 0, width_, height_, SWP_NOMOVE | SWP_NOOWNERZORDER);
  }
}

void KComponent::SetPosition(int x, int y) {
  x_ = x;
  y_ = y;
  if (window_) SetWindowPos(window_, nullptr, x_, y_, 0, 0, SWP_NOSIZE | SWP_NOOWNERZORDER);
}

void KComponent::SetVisible(bool visible) {
  visible_ = visible;
  if (window_) ShowWindow(window_, visible_ ? SW_SHOW : SW_HIDE);
}

bool KComponent::IsVisible() { return window_ && visible_; }

bool KComponent::IsEnabled() { return enabled_; }

void KComponent::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (window_) EnableWindow(window_, enabled_);
}

void KComponent::BringToFront() {
  if (window_) BringWindowToTop(window_);
}

void KComponent::TakeFocus() {
  if (window_) SetFocus(window_);
}

void KComponent::Repaint() {
  if (window_) InvalidateRect(window_, nullptr, TRUE);
}

KComponent::~KComponent() {
  if (registered_) UnregisterClassW(className_, GetFrameworkState()->GetInstanceHandle());
}

void KComponent::SetWindowClassName(const KString& className) {
  className_ = className;
  windowClass_.lpszClassName = className_;
}

void KComponent::SetStoredText(const KString& text) { text_ = text; }

void KComponent::SetClassStyle(UINT style) { windowClass_.style = style; }

bool KComponent::CreateControlWindow() {
  if (!GetParentWindow()) return false;
  CreateComponentWindow(this);
  return window_ != nullptr;
}

void KComponent::SendFontToWindow() {
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(FontAtWindowScale()), TRUE);
}

// The default font stands for "the system's font at the window's scale";
// any other font is the application's choice and goes as it is.
HFONT KComponent::FontAtWindowScale() {
  KFont* font = GetFont();
  if (font && font == GetStockGuiFont()) font = GetGuiFontForDpi(KDpi::OfWindow(window_));
  return font ? font->GetHFont() : nullptr;
}

void KComponent::ApplyEnabledState() { EnableWindow(window_, IsEnabled()); }

void KComponent::ShowIfVisible() {
  if (IsVisible()) SetVisible(true);
}

bool KComponent::CreateControlWithFont() {
  if (!CreateControlWindow()) return false;
  SendFontToWindow();
  ApplyEnabledState();
  ShowIfVisible();
  return true;
}

LRESULT KComponent::DefaultProcessing(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC old = reinterpret_cast<WNDPROC>(GetPropW(window, L"QZROldProc"));
  if (old && old != FrameworkWndProc) return CallWindowProcW(old, window, message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}
