#pragma once

#include "KString.h"

// The parts of a Windows path; either separator counts.
namespace FilePath {

// The file name: what follows the last separator, or the whole path.
const wchar_t* NameOf(const wchar_t* path);

// The folder, without its last separator; "." for a bare file name.
KString FolderOf(const KString& path);

}  // namespace FilePath
