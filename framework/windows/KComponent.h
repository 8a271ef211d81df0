#pragma once

#include <windows.h>

#include "KString.h"

class KFont;
class KMousePointer;

// The base of every window and control. The object keeps all attributes
// itself; a setter stores the value and applies it to the window only when
// the window exists. The window comes from Create (own class, created by the
// framework) or AttachTo (an existing window, subclassed). A component owns
// neither its window, nor its font, nor its cursor, and must outlive its
// window.
class KComponent {
 public:
  KComponent();
  KComponent(const KComponent&) = delete;
  KComponent& operator=(const KComponent&) = delete;

  virtual void OnAttached();
  // A null or destroyed window changes nothing.
  virtual void AttachTo(HWND window);
  virtual void ChangeCursor(KMousePointer* cursor);
  virtual KString GetWindowClassName();
  virtual bool Create();
  virtual LRESULT WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  virtual void SetFont(KFont* font);
  virtual KFont* GetFont();
  virtual KString GetText();
  virtual void SetText(const KString& text);
  virtual void SetHWND(HWND window);
  virtual HWND GetHWND();
  virtual void SetParentWindow(HWND parent);
  virtual HWND GetParentWindow();
  virtual DWORD GetStyle();
  virtual void SetStyle(DWORD style);
  virtual DWORD GetExStyle();
  virtual void SetExStyle(DWORD exStyle);
  virtual int GetX();
  virtual int GetY();
  virtual int GetWidth();
  virtual int GetHeight();
  virtual void SetSize(int width, int height);
  virtual void SetPosition(int x, int y);
  virtual void SetVisible(bool visible);
  virtual bool IsVisible();
  virtual bool IsEnabled();
  virtual void SetEnabled(bool enabled);
  virtual void BringToFront();
  virtual void TakeFocus();
  virtual void Repaint();
  virtual ~KComponent();

 protected:
  // Controls replace the generated class name with a system class.
  void SetWindowClassName(const KString& className);
  // Stores the text without touching the window.
  void SetStoredText(const KString& text);
  // Window class style of the class that Create registers.
  void SetClassStyle(UINT style);
  // The steps the controls' Create methods compose, each in its own order.
  // False without a parent window or when no window came into being.
  bool CreateControlWindow();
  void SendFontToWindow();
  void ApplyEnabledState();
  void ShowIfVisible();
  // All four in the usual order: window, font, enabled state, visibility.
  bool CreateControlWithFont();
  // Default processing: the window's previous procedure, else DefWindowProcW.
  LRESULT DefaultProcessing(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HFONT FontAtWindowScale();

  KString className_;
  KString text_;
  HWND window_;
  HWND parent_;
  DWORD style_;
  DWORD exStyle_;
  int x_, y_;
  int width_, height_;
  bool visible_;
  bool enabled_;
  bool registered_;
  KFont* font_;
  KMousePointer* cursor_;
  WNDCLASSEXW windowClass_;
};
