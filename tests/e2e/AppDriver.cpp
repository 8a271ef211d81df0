#include "AppDriver.h"

#include <shlobj.h>

#include <cstdio>
#include <vector>

#include "DialogUser.h"
#include "TestFiles.h"
#include "TestEnvironment.h"

namespace {

constexpr int kMessageTextId = 0xFFFF;

struct Search {
  DWORD processId;
  HWND except;
  HWND found;
};

// A visible message box of the process: a dialog with a static text.
BOOL CALLBACK IsMessageBoxOf(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (owner == search->processId && window != search->except && IsWindowVisible(window) &&
      wcscmp(className, L"#32770") == 0 && GetDlgItem(window, kMessageTextId)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The pixels of `rect` on the screen, as 32-bit values, row by row.
std::vector<COLORREF> Capture(HDC source, int x, int y, int width, int height) {
  std::vector<COLORREF> pixels;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      pixels.push_back(GetPixel(source, x + column, y + row));
    }
  }
  return pixels;
}

// The icon drawn on a plain background of `color`.
std::vector<COLORREF> DrawnIcon(HICON icon, int size, COLORREF color) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
  HGDIOBJ old = SelectObject(memory, bitmap);
  HBRUSH brush = CreateSolidBrush(color);
  RECT all = {0, 0, size, size};
  FillRect(memory, &all, brush);
  DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  std::vector<COLORREF> pixels = Capture(memory, 0, 0, size, size);
  SelectObject(memory, old);
  DeleteObject(brush);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

// Icon handles belong to their process, so the box's icon is told by its
// look: the opaque pixels of one of the system icons, seen on screen.
LPCWSTR IconOf(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
    RECT rect;
    GetWindowRect(child, &rect);
    int size = GetSystemMetrics(SM_CXICON);
    HDC screen = GetDC(nullptr);
    std::vector<COLORREF> shown = Capture(screen, rect.left, rect.top, size, size);
    ReleaseDC(nullptr, screen);
    for (LPCWSTR kind : {IDI_ERROR, IDI_WARNING, IDI_INFORMATION}) {
      HICON icon = LoadIconW(nullptr, kind);
      std::vector<COLORREF> onBlack = DrawnIcon(icon, size, RGB(0, 0, 0));
      std::vector<COLORREF> onWhite = DrawnIcon(icon, size, RGB(255, 255, 255));
      size_t opaque = 0, matching = 0;
      for (size_t i = 0; i < shown.size(); ++i) {
        if (onBlack[i] != onWhite[i]) continue;
        ++opaque;
        if (onBlack[i] == shown[i]) ++matching;
      }
      if (opaque > 0 && matching * 10 >= opaque * 9) return kind;
    }
  }
  return nullptr;
}

// Room for a batch's summary with deep paths.
std::wstring WindowText(HWND window) {
  std::vector<wchar_t> text(16384, L'\0');
  GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

}  // namespace

std::wstring BuildPath(const char* path) {
  std::string windows = TestEnvironment::WindowsPath(path);
  return std::wstring(windows.begin(), windows.end());
}

std::wstring Here(const std::wstring& name) { return TestFiles::FullPath(name); }

AppDriver::~AppDriver() {
  if (process_.hProcess) {
    if (IsRunning()) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
}

bool AppDriver::Launch(const std::wstring& arguments, const std::wstring& otherExe) {
  if (process_.hProcess) {  // a program started before
    if (IsRunning()) TerminateProcess(process_.hProcess, 99);
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  process_ = {};
  window_ = nullptr;
  std::wstring exe = otherExe.empty() ? BuildPath(VT_APP_EXE) : otherExe;
  std::wstring command = L"\"" + exe + L"\" " + arguments;
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(0);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process_)) {
    return false;
  }
  for (int waited = 0; waited < 30000 && !window_; waited += 50) {
    HWND candidate = FindWindowW(L"#32770", L"MP3 Vellumtone");
    DWORD owner = 0;
    GetWindowThreadProcessId(candidate, &owner);
    if (candidate && owner == process_.dwProcessId && IsWindowVisible(candidate)) {
      window_ = candidate;
    } else {
      Sleep(50);
    }
  }
  Sleep(300);  // the set-up after the window shows (libraries) settles
  return window_ != nullptr;
}

// The list must lie in the program's own memory: a hook library of the
// tests, loaded into the program, copies it there from a shared block.
bool AppDriver::Drop(const std::vector<std::wstring>& paths) const {
  std::vector<wchar_t> files;
  for (const std::wstring& path : paths) {
    files.insert(files.end(), path.begin(), path.end());
    files.push_back(L'\0');
  }
  files.push_back(L'\0');
  DROPFILES header = {};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  DWORD size = static_cast<DWORD>(sizeof header + files.size() * sizeof(wchar_t));
  HANDLE shared = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     size + sizeof(DWORD), L"VellumtoneTestDrop");
  if (!shared) return false;
  DWORD* view = static_cast<DWORD*>(MapViewOfFile(shared, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  HMODULE library = LoadLibraryW(BuildPath(VT_DROP_HOOK).c_str());
  auto* proc = library ? reinterpret_cast<HOOKPROC>(GetProcAddress(library, "DropHookProc"))
                       : nullptr;
  bool posted = false;
  if (view && proc) {
    memcpy(view + 1, &header, sizeof header);
    memcpy(reinterpret_cast<char*>(view + 1) + sizeof header, files.data(),
           files.size() * sizeof(wchar_t));
    InterlockedExchange(reinterpret_cast<volatile LONG*>(view), static_cast<LONG>(size));
    DWORD thread = GetWindowThreadProcessId(window_, nullptr);
    if (HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, proc, library, thread)) {
      static const UINT request = RegisterWindowMessageW(L"VellumtoneTestDropRequest");
      PostMessageW(window_, request, 0, 0);
      for (int waited = 0; waited < 20000 && view[0] != 0; waited += 20) Sleep(20);
      posted = view[0] == 0;
      UnhookWindowsHookEx(hook);
    }
  }
  if (library) FreeLibrary(library);
  if (view) UnmapViewOfFile(view);
  CloseHandle(shared);
  return posted;
}

namespace {

BOOL CALLBACK CollectText(HWND child, LPARAM texts) {
  std::wstring text = WindowText(child);
  if (!text.empty()) *reinterpret_cast<std::wstring*>(texts) += text + L"\n";
  return TRUE;
}

}  // namespace

MessageBoxSeen AppDriver::AnswerDialog(const wchar_t* caption, int id, int timeoutMs) const {
  MessageBoxSeen seen;
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    HWND dialog = FindWindowW(L"#32770", caption);
    DWORD owner = 0;
    GetWindowThreadProcessId(dialog, &owner);
    if (dialog && owner == process_.dwProcessId && IsWindowVisible(dialog)) {
      Sleep(100);
      seen.found = true;
      seen.caption = caption;
      EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(&seen.text));
      PostMessageW(dialog, WM_COMMAND, id, 0);
      for (int gone = 0; gone < 5000 && IsWindow(dialog); gone += 20) Sleep(20);
      return seen;
    }
    Sleep(50);
  }
  return seen;
}

void AppDriver::Click(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }

// Asked of the control itself: an edit box in another process keeps its
// text to itself.
std::wstring AppDriver::Text(int id) const {
  wchar_t text[1024] = {};
  SendMessageW(Control(id), WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return text;
}

int AppDriver::Selection(int id) const {
  return static_cast<int>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
}

void AppDriver::Pick(int id, int index) const {
  HWND combo = Control(id);
  PostMessageW(combo, WM_KEYDOWN, VK_HOME, 0);
  for (int i = 0; i < index; ++i) PostMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);
  Sleep(300);
}

bool AppDriver::Choose(int browseId, const wchar_t* title, const std::wstring& path) const {
  DialogUser user(title, path.c_str());
  Click(browseId);
  user.Finish();
  Sleep(200);
  return user.closedByOk;
}

HWND AppDriver::FindMessageBox() const {
  Search search = {process_.dwProcessId, window_, nullptr};
  EnumWindows(IsMessageBoxOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

MessageBoxSeen AppDriver::AnswerMessageBox(int timeoutMs, int button) const {
  MessageBoxSeen seen;
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    HWND box = FindMessageBox();
    if (box) {
      Sleep(100);
      seen.found = true;
      seen.caption = WindowText(box);
      seen.text = WindowText(GetDlgItem(box, kMessageTextId));
      seen.icon = IconOf(box);
      PostMessageW(box, WM_COMMAND, button, 0);
      for (int gone = 0; gone < 5000 && IsWindow(box); gone += 20) Sleep(20);
      return seen;
    }
    Sleep(50);
  }
  return seen;
}

DWORD AppDriver::WaitForExit(int timeoutMs) const {
  if (WaitForSingleObject(process_.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

bool AppDriver::SaveScreenshot(const std::wstring& path) const {
  RECT rect;
  GetWindowRect(window_, &rect);
  int width = rect.right - rect.left, height = rect.bottom - rect.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  DWORD stride = (width * 3 + 3) & ~3u;
  std::vector<unsigned char> pixels(stride * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&header),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  fwrite(&file, sizeof file, 1, out);
  fwrite(&header, sizeof header, 1, out);
  fwrite(pixels.data(), pixels.size(), 1, out);
  fclose(out);
  return true;
}
