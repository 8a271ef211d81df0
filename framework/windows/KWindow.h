#pragma once

#include "KComponent.h"

class KIcon;

// A top-level window. Its WindowProc turns the notifications that child
// controls send to their parent into calls on the controls' objects, found
// through each control's own "QZR" property.
class KWindow : public KComponent {
 public:
  KWindow();

  LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  ~KWindow() override;

  // Sets the icon of the window's class (every window of that class shows it).
  virtual void SetIcon(KIcon* icon);
  virtual void Destroy();
  virtual void OnDestroy();
  virtual void MoveToScreenCenter();
  // Makes `component` a child of this window and creates it.
  virtual bool AddChild(KComponent* component);

 private:
  LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam);
  LRESULT OnTimer(HWND window, WPARAM wParam, LPARAM lParam);
  LRESULT OnScroll(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnDpiChanged(HWND window, WPARAM wParam, LPARAM lParam);
};
