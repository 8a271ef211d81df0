#include "ImportPatcher.h"

namespace {

// Written through VirtualProtect: the table may lie in a read-only section.
bool WriteSlot(ULONG_PTR* slot, void* value) {
  DWORD old = 0;
  if (!VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old)) return false;
  *slot = reinterpret_cast<ULONG_PTR>(value);
  VirtualProtect(slot, sizeof(*slot), old, &old);
  return true;
}

// A delay-load descriptor (the system's IMAGE_DELAYLOAD_DESCRIPTOR).
struct DelayLoadDescriptor {
  DWORD attributes;
  DWORD dllName;
  DWORD moduleHandle;
  DWORD addressTable;
  DWORD nameTable;
  DWORD boundAddressTable;
  DWORD unloadTable;
  DWORD timeStamp;
};

// Delay-load descriptors of old linkers (Visual C++ 6) hold addresses, not
// offsets; attribute bit 0 marks the newer form.
constexpr DWORD kDelayRvaBased = 0x1;

}  // namespace

ImportPatcher::ImportPatcher(HMODULE module) : base_(reinterpret_cast<BYTE*>(module)), nt_(nullptr) {
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base_);
  if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
  auto* nt = At<const IMAGE_NT_HEADERS>(dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE ||
      nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
    return;
  }
  nt_ = nt;
}

const IMAGE_DATA_DIRECTORY* ImportPatcher::Directory(int index) const {
  if (!nt_ || static_cast<DWORD>(index) >= nt_->OptionalHeader.NumberOfRvaAndSizes) return nullptr;
  const IMAGE_DATA_DIRECTORY* directory = &nt_->OptionalHeader.DataDirectory[index];
  return directory->VirtualAddress && directory->Size ? directory : nullptr;
}

int ImportPatcher::Patch(Choose choose) const { return PatchImports(choose) + PatchDelayLoads(choose); }

int ImportPatcher::PatchImports(Choose choose) const {
  const IMAGE_DATA_DIRECTORY* directory = Directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
  if (!directory) return 0;
  int patched = 0;
  for (auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(directory->VirtualAddress);
       entry->Name && entry->FirstThunk; ++entry) {
    const ULONG_PTR* names =
        entry->OriginalFirstThunk ? At<ULONG_PTR>(entry->OriginalFirstThunk) : nullptr;
    patched += PatchSlots(At<const char>(entry->Name), At<ULONG_PTR>(entry->FirstThunk), names, 0,
                          choose);
  }
  return patched;
}

int ImportPatcher::PatchDelayLoads(Choose choose) const {
  const IMAGE_DATA_DIRECTORY* directory = Directory(IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT);
  if (!directory) return 0;
  int patched = 0;
  for (auto* entry = At<DelayLoadDescriptor>(directory->VirtualAddress);
       entry->dllName && entry->addressTable; ++entry) {
    ULONG_PTR bias = (entry->attributes & kDelayRvaBased) ? 0 : reinterpret_cast<ULONG_PTR>(base_);
    const ULONG_PTR* names = entry->nameTable ? At<ULONG_PTR>(entry->nameTable - bias) : nullptr;
    patched += PatchSlots(At<const char>(entry->dllName - bias),
                          At<ULONG_PTR>(entry->addressTable - bias), names, bias, choose);
  }
  return patched;
}

int ImportPatcher::PatchSlots(const char* dll, ULONG_PTR* slots, const ULONG_PTR* names,
                              ULONG_PTR bias, Choose choose) const {
  int patched = 0;
  for (int i = 0; slots[i]; ++i) {
    const char* function = nullptr;
    if (names && names[i] && !IMAGE_SNAP_BY_ORDINAL(names[i])) {
      function = reinterpret_cast<const char*>(At<IMAGE_IMPORT_BY_NAME>(names[i] - bias)->Name);
    }
    void* current = reinterpret_cast<void*>(slots[i]);
    void* replacement = choose(dll, function, current);
    if (replacement && replacement != current && WriteSlot(&slots[i], replacement)) ++patched;
  }
  return patched;
}
