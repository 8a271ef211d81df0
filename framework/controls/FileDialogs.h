#pragma once

#include <vector>

#include "KString.h"

class KComponent;

// The system's common file dialogs, modal over `owner`'s window. The open
// dialogs share one file-name buffer for the whole run, the save dialog has
// its own, so a dialog opens where the last one of its kind left off. A
// buffer grows when the system says it is too small (a long path, or many
// files), and the dialog comes again with room for them. True when the user
// confirmed (the out-parameter then holds full paths); false, with it
// untouched, on cancel or failure.

// `filter`: pairs of description and pattern, each zero-terminated, ended
// by one more zero. Only existing files can be chosen.
bool AskOpenPath(KComponent* owner, const KString& title, const wchar_t* filter,
                 KString* fileName);

// As AskOpenPath, with any number of files of one folder chosen at once;
// `fileNames` gets them in the order the dialog lists them.
bool AskOpenPaths(KComponent* owner, const KString& title, const wchar_t* filter,
                  std::vector<KString>* fileNames);

// Names an MP3 file, which need not exist yet; no extension is added.
bool AskSavePath(KComponent* owner, const KString& title, KString* fileName);

// The system's folder picker; `folder` is where it starts and what it gives.
bool AskFolder(KComponent* owner, const KString& title, KString* folder);
