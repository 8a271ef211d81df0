#pragma once

#include <windows.h>

// Points slots of a loaded module's import address table, and of its
// delay-load table, at other functions: the way the program puts its own
// replacements under the calls of a plug-in library. Each slot is offered
// to `choose` with the name of the DLL it imports from, the function's
// name (null when imported by ordinal, or when an old linker left no name
// table, as Borland's did) and the address in the slot (for a delay-load
// slot not yet used: the library's own loading thunk); `choose` returns the
// replacement, or null to leave the slot.
class ImportPatcher {
 public:
  using Choose = void* (*)(const char* dll, const char* function, void* current);

  explicit ImportPatcher(HMODULE module);
  // How many slots were changed.
  int Patch(Choose choose) const;

 private:
  int PatchImports(Choose choose) const;
  int PatchDelayLoads(Choose choose) const;
  // `names` may be null (no name table); its entries are offsets into the
  // image once `bias` is taken off (an old delay-load table holds addresses).
  int PatchSlots(const char* dll, ULONG_PTR* slots, const ULONG_PTR* names, ULONG_PTR bias,
                 Choose choose) const;
  const IMAGE_DATA_DIRECTORY* Directory(int index) const;
  template <typename T>
  T* At(ULONG_PTR rva) const {
    return reinterpret_cast<T*>(base_ + rva);
  }

  BYTE* base_;
  const IMAGE_NT_HEADERS* nt_;
};
