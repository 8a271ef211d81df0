#include "FileDialogs.h"

#include <windows.h>

#include <cderr.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

#include "KComponent.h"

namespace {

// Room for a few hundred names at once; more makes it grow.
constexpr size_t kInitialBuffer = 32768;
const wchar_t kMp3Filter[] = L"MP3 Files (*.mp3)\0*.mp3\0";

// A dialog's file-name buffer, kept across dialogs: it holds the last
// path chosen, where the next dialog starts.
class PathBuffer {
 public:
  PathBuffer() : text_(kInitialBuffer, L'\0') {}
  wchar_t* Data() { return text_.data(); }
  DWORD Size() const { return static_cast<DWORD>(text_.size()); }
  void Keep(const wchar_t* path) { last_ = path; }
  // After a failure the system may have left the size it needed in the
  // first characters; the next dialog must not show them.
  void Restore() {
    size_t length = last_.size() < text_.size() ? last_.size() : text_.size() - 1;
    last_.copy(text_.data(), length);
    text_[length] = L'\0';
  }
  // FNERR_BUFFERTOOSMALL: the size needed is in the first two bytes.
  void Grow() {
    size_t needed = *reinterpret_cast<const WORD*>(text_.data());
    size_t size = text_.size() * 2 > needed + 1 ? text_.size() * 2 : needed + 1;
    text_.assign(size, L'\0');
  }

 private:
  std::vector<wchar_t> text_;
  std::wstring last_;
};

PathBuffer& OpenBuffer() {
  static PathBuffer buffer;
  return buffer;
}

PathBuffer& SaveBuffer() {
  static PathBuffer buffer;
  return buffer;
}

// Runs the dialog until it either ends or fails for a reason other than a
// buffer too small for what the user chose.
bool Run(KComponent* owner, const KString& title, const wchar_t* filter, PathBuffer& buffer,
         DWORD flags, bool save, WORD* fileOffset = nullptr) {
  for (;;) {
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner->GetHWND();
    dialog.lpstrFilter = filter;
    dialog.lpstrFile = buffer.Data();
    dialog.nMaxFile = buffer.Size();
    dialog.lpstrTitle = title;
    dialog.Flags = flags;
    BOOL confirmed = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    if (confirmed) {
      if (fileOffset) *fileOffset = dialog.nFileOffset;
      return true;
    }
    if (CommDlgExtendedError() != FNERR_BUFFERTOOSMALL) {
      buffer.Restore();
      return false;
    }
    buffer.Grow();
    buffer.Restore();
  }
}

// One file: its full path, the name at `fileOffset`. Several: the folder,
// then each name, each zero-terminated, and one more zero; the first name
// at `fileOffset`, after the folder's zero.
void ReadChosen(const wchar_t* text, WORD fileOffset, std::vector<KString>* fileNames) {
  std::wstring folder = text;
  if (fileOffset == 0 || text[fileOffset - 1] != L'\0') {
    fileNames->push_back(KString(folder.c_str()));
    return;
  }
  const wchar_t* name = text + fileOffset;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  for (; *name != L'\0'; name += wcslen(name) + 1) {
    fileNames->push_back(KString((folder + name).c_str()));
  }
}

}  // namespace

bool AskOpenPath(KComponent* owner, const KString& title, const wchar_t* filter,
                 KString* fileName) {
  PathBuffer& buffer = OpenBuffer();
  if (!Run(owner, title, filter, buffer, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, false)) {
    return false;
  }
  buffer.Keep(buffer.Data());
  *fileName = buffer.Data();
  return true;
}

bool AskOpenPaths(KComponent* owner, const KString& title, const wchar_t* filter,
                  std::vector<KString>* fileNames) {
  PathBuffer& buffer = OpenBuffer();
  DWORD flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER;
  WORD fileOffset = 0;
  if (!Run(owner, title, filter, buffer, flags, false, &fileOffset)) return false;
  std::vector<KString> chosen;
  ReadChosen(buffer.Data(), fileOffset, &chosen);
  // The next dialog starts at the first of them.
  buffer.Keep(chosen.front());
  buffer.Restore();
  *fileNames = chosen;
  return true;
}

bool AskSavePath(KComponent* owner, const KString& title, KString* fileName) {
  PathBuffer& buffer = SaveBuffer();
  if (!Run(owner, title, kMp3Filter, buffer, OFN_HIDEREADONLY, true)) return false;
  buffer.Keep(buffer.Data());
  *fileName = buffer.Data();
  return true;
}

bool AskFolder(KComponent* owner, const KString& title, KString* folder) {
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog)))) {
    return false;
  }
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
  dialog->SetTitle(title);
  IShellItem* start = nullptr;
  if (!folder->IsEmpty() &&
      SUCCEEDED(SHCreateItemFromParsingName(*folder, nullptr, IID_IShellItem,
                                            reinterpret_cast<void**>(&start)))) {
    dialog->SetFolder(start);
    start->Release();
  }
  bool chosen = false;
  IShellItem* result = nullptr;
  if (SUCCEEDED(dialog->Show(owner->GetHWND())) && SUCCEEDED(dialog->GetResult(&result))) {
    wchar_t* path = nullptr;
    if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
      *folder = path;
      CoTaskMemFree(path);
      chosen = true;
    }
    result->Release();
  }
  dialog->Release();
  return chosen;
}
