#include "MessageRouting.h"

#include <cwchar>

#include "Framework.h"
#include "KComponent.h"
#include "KFrameworkState.h"

namespace {

// Meaningful only while the creation lock is held.
KComponent* componentUnderCreation = nullptr;
HHOOK creationHook = nullptr;

bool componentWindowBound = false;

KComponent* ComponentOf(HWND window) {
  return static_cast<KComponent*>(GetPropW(window, L"QZR"));
}

// The hook sees every window this thread creates meanwhile, also those the
// system makes for itself (the thread's IME window, which outlives every
// component). Only the component's own window, the first of its class, and
// the windows made under it (a combo box's list) are bound to it.
bool IsPartOfComponentUnderCreation(HWND window, const CBT_CREATEWNDW* creation) {
  HWND parent = creation && creation->lpcs ? creation->lpcs->hwndParent : nullptr;
  if (parent && ComponentOf(parent) == componentUnderCreation) return true;
  if (componentWindowBound) return false;
  wchar_t className[256] = {};
  GetClassNameW(window, className, 256);
  KString expected = componentUnderCreation->GetWindowClassName();
  return expected.GetLength() > 0 && _wcsicmp(className, expected) == 0;
}

}  // namespace

HWND CreateComponentWindow(KComponent* component) {
  EnterCriticalSection(GetCreationLock());
  componentUnderCreation = component;
  componentWindowBound = false;
  creationHook = SetWindowsHookExW(WH_CBT, CreationHookProc, nullptr, GetCurrentThreadId());
  HINSTANCE instance = GetFrameworkState()->GetInstanceHandle();
  KString text = component->GetText();
  KString className = component->GetWindowClassName();
  HWND window = CreateWindowExW(component->GetExStyle(), className, text, component->GetStyle(),
                                component->GetX(), component->GetY(), component->GetWidth(),
                                component->GetHeight(), component->GetParentWindow(), nullptr,
                                instance, nullptr);
  if (creationHook) UnhookWindowsHookEx(creationHook);
  creationHook = nullptr;
  componentUnderCreation = nullptr;
  LeaveCriticalSection(GetCreationLock());
  return window;
}

LRESULT CALLBACK CreationHookProc(int code, WPARAM wParam, LPARAM lParam) {
  HWND window = reinterpret_cast<HWND>(wParam);
  if (code != HCBT_CREATEWND ||
      !IsPartOfComponentUnderCreation(window, reinterpret_cast<CBT_CREATEWNDW*>(lParam))) {
    return CallNextHookEx(creationHook, code, wParam, lParam);
  }
  SetPropW(window, L"QZR", componentUnderCreation);
  SetPropW(window, L"QZROldProc", reinterpret_cast<HANDLE>(GetWindowLongW(window, GWL_WNDPROC)));
  // The component keeps the string body this text lives in.
  KString className = componentUnderCreation->GetWindowClassName();
  SetPropW(window, L"QZRClsName", const_cast<wchar_t*>(static_cast<const wchar_t*>(className)));
  SetWindowLongW(window, GWL_WNDPROC, reinterpret_cast<LONG>(FrameworkWndProc));
  componentWindowBound = true;
  return 0;
}

LRESULT CALLBACK FrameworkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  KComponent* component = ComponentOf(window);
  if (!component) return DefWindowProcW(window, message, wParam, lParam);
  if (!component->GetHWND()) component->SetHWND(window);
  if (message == WM_NCDESTROY) {
    RemovePropW(window, L"QZR");
    RemovePropW(window, L"QZRClsName");
    WNDPROC old = reinterpret_cast<WNDPROC>(GetPropW(window, L"QZROldProc"));
    if (old) {
      RemovePropW(window, L"QZROldProc");
      SetWindowLongW(window, GWL_WNDPROC, reinterpret_cast<LONG>(old));
      return CallWindowProcW(old, window, message, wParam, lParam);
    }
  }
  return component->WindowProc(window, message, wParam, lParam);
}

INT_PTR CALLBACK FrameworkDlgProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG && lParam) reinterpret_cast<KComponent*>(lParam)->AttachTo(dialog);
  return FALSE;
}
