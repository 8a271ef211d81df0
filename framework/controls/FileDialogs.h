#pragma once

#include "KString.h"

class KComponent;

// The system's common file dialogs, modal over `owner`'s window. Each
// function keeps its own 260-character file-name buffer for the whole run,
// so a dialog opens where the last one of the same function left off. True
// when the user confirmed a file (`fileName` then holds its full path);
// false, with `fileName` untouched, on cancel, on failure, or when the path
// does not fit the buffer.

// `filter`: pairs of description and pattern, each zero-terminated, ended
// by one more zero. Only existing files can be chosen.
bool AskOpenPath(KComponent* owner, const KString& title, const wchar_t* filter,
                 KString* fileName);

// Names an MP3 file, which need not exist yet; no extension is added.
bool AskSavePath(KComponent* owner, const KString& title, KString* fileName);
