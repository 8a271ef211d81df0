#include "LoadFailure.h"

#include <string>
#include <vector>

#include "FilePath.h"

namespace {

// What the file's headers say, read as bytes: nothing of it runs.
bool ReadWhole(const wchar_t* path, std::vector<BYTE>* bytes) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size = {};
  bool read = GetFileSizeEx(file, &size) && size.QuadPart < (64 << 20);
  if (read) {
    bytes->resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    read = bytes->empty() ||
           (::ReadFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &got, nullptr) &&
            got == bytes->size());
  }
  CloseHandle(file);
  return read;
}

const IMAGE_NT_HEADERS32* HeadersOf(const std::vector<BYTE>& bytes) {
  if (bytes.size() < sizeof(IMAGE_DOS_HEADER)) return nullptr;
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  if (dos->e_magic != IMAGE_DOS_SIGNATURE || dos->e_lfanew < 0 ||
      static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > bytes.size()) {
    return nullptr;
  }
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes.data() + dos->e_lfanew);
  return nt->Signature == IMAGE_NT_SIGNATURE ? nt : nullptr;
}

// The file offset of `rva`, through the section that holds it; 0 if none.
size_t OffsetOf(const std::vector<BYTE>& bytes, const IMAGE_NT_HEADERS32* nt, DWORD rva) {
  auto* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (reinterpret_cast<const BYTE*>(section + 1) > bytes.data() + bytes.size()) return 0;
    DWORD size = section->Misc.VirtualSize ? section->Misc.VirtualSize : section->SizeOfRawData;
    if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size) {
      size_t offset = rva - section->VirtualAddress + section->PointerToRawData;
      return offset < bytes.size() ? offset : 0;
    }
  }
  return 0;
}

bool Findable(const KString& folder, const char* dll) {
  KString name(dll);
  KString beside = folder + L"\\" + name;
  if (GetFileAttributesW(beside) != INVALID_FILE_ATTRIBUTES) return true;
  // Known to the system (loaded already, or on its search path); a data
  // file's mapping runs none of its code.
  HMODULE found = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (found) FreeLibrary(found);
  return found != nullptr;
}

}  // namespace

KString LoadFailure::Describe(const wchar_t* path, DWORD error) {
  if (!Is32BitDll(path)) return KString(L"It is not a 32-bit Windows DLL.");
  KString text = KString(L"It could not be loaded: ") + SystemText(error);
  if (error == ERROR_MOD_NOT_FOUND) {
    KString missing = MissingDependency(path);
    if (!missing.IsEmpty()) text = text + L"\n\nIt needs " + missing + L", which is not there.";
  }
  return text;
}

bool LoadFailure::Is32BitDll(const wchar_t* path) {
  std::vector<BYTE> bytes;
  if (!ReadWhole(path, &bytes)) return true;  // unreadable: the system's reason says it
  const IMAGE_NT_HEADERS32* nt = HeadersOf(bytes);
  return nt && nt->FileHeader.Machine == IMAGE_FILE_MACHINE_I386 &&
         nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC &&
         (nt->FileHeader.Characteristics & IMAGE_FILE_DLL);
}

KString LoadFailure::MissingDependency(const wchar_t* path) {
  std::vector<BYTE> bytes;
  if (!ReadWhole(path, &bytes)) return KString();
  const IMAGE_NT_HEADERS32* nt = HeadersOf(bytes);
  if (!nt || nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT) {
    return KString();
  }
  DWORD importRva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  size_t at = importRva ? OffsetOf(bytes, nt, importRva) : 0;
  KString folder = FilePath::FolderOf(KString(path));
  for (; at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= bytes.size();
       at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(bytes.data() + at);
    if (!entry->Name) break;
    size_t name = OffsetOf(bytes, nt, entry->Name);
    if (!name) break;
    std::vector<char> dll;
    for (size_t i = name; i < bytes.size() && bytes[i] && dll.size() < MAX_PATH; ++i) {
      dll.push_back(static_cast<char>(bytes[i]));
    }
    dll.push_back(0);
    if (!Findable(folder, dll.data())) return KString(dll.data());
  }
  return KString();
}

KString LoadFailure::SystemText(DWORD error) {
  wchar_t* text = nullptr;
  DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                    FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  while (length > 0 && (text[length - 1] == L'\n' || text[length - 1] == L'\r')) text[--length] = 0;
  KString result = length ? KString(text) : KString(L"error ") + KString(std::to_wstring(error).c_str());
  if (text) LocalFree(text);
  return result;
}
