#pragma once

#include <windows.h>

class KComponent;

// Ties Win32 windows to their KComponent objects through three window
// properties ("QZR", "QZROldProc", "QZRClsName") and one shared window
// procedure.

// Creates the component's window under the process-wide creation lock with
// a creation hook on this thread that binds the window before its first
// message. Returns what CreateWindowExW returned.
HWND CreateComponentWindow(KComponent* component);

LRESULT CALLBACK CreationHookProc(int code, WPARAM wParam, LPARAM lParam);

// The window procedure of every bound window: hands each message to the
// object's WindowProc, and unbinds the window on WM_NCDESTROY.
LRESULT CALLBACK FrameworkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The dialog procedure for DialogBoxParamW: attaches the KComponent given as
// the initialisation parameter on WM_INITDIALOG; FALSE for every message.
INT_PTR CALLBACK FrameworkDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
