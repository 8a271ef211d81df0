#pragma once

#include "KString.h"

// The parts of a Windows path, and what two paths name; either separator
// counts.
namespace FilePath {

// The file name: what follows the last separator, or the whole path.
const wchar_t* NameOf(const wchar_t* path);

// The folder, without its last separator; "." for a bare file name.
KString FolderOf(const KString& path);

// The same file under both paths: by file identity when both exist (case,
// relative parts and short names do not matter), else by full path.
bool SameFile(const wchar_t* first, const wchar_t* second);

// ".mp3" unless the path already ends in exactly that (case-sensitive).
KString WithMp3Extension(const KString& path);

}  // namespace FilePath
