#include "FileDialogs.h"

#include <windows.h>

#include <commdlg.h>

#include "KComponent.h"

namespace {

constexpr DWORD kPathBuffer = 260;
wchar_t openPath[kPathBuffer];
wchar_t savePath[kPathBuffer];
const wchar_t kMp3Filter[] = L"MP3 Files (*.mp3)\0*.mp3\0";

OPENFILENAMEW Describe(KComponent* owner, const KString& title, const wchar_t* filter,
                       wchar_t* buffer, DWORD flags) {
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner->GetHWND();
  dialog.lpstrFilter = filter;
  dialog.lpstrFile = buffer;
  dialog.nMaxFile = kPathBuffer;
  dialog.lpstrTitle = title;
  dialog.Flags = flags;
  return dialog;
}

// A path too long for the buffer ends the dialog with a failure
// (FNERR_BUFFERTOOSMALL) rather than a cut path.
bool TakePath(BOOL confirmed, const wchar_t* buffer, KString* fileName) {
  if (!confirmed) return false;
  *fileName = buffer;
  return true;
}

}  // namespace

bool AskOpenPath(KComponent* owner, const KString& title, const wchar_t* filter,
                 KString* fileName) {
  OPENFILENAMEW dialog =
      Describe(owner, title, filter, openPath, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  return TakePath(GetOpenFileNameW(&dialog), openPath, fileName);
}

bool AskSavePath(KComponent* owner, const KString& title, KString* fileName) {
  OPENFILENAMEW dialog = Describe(owner, title, kMp3Filter, savePath, OFN_HIDEREADONLY);
  return TakePath(GetSaveFileNameW(&dialog), savePath, fileName);
}
