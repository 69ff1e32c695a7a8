// The one open document: where it lives on disk, whether it changed since it
// was last read or written, and how its file stores the text.
#pragma once
#include <windows.h>

#include "document/encoding.h"
#include "document/fileversion.h"
#include "platform/paths.h"

struct DocumentStateRecord {
    wchar_t FilePath[kPathCapacity];  // full path, or kUntitled
    int IsModified;
    // How the file stores the text; the program keeps it in memory only.
    TextFormat Format;
    // The file as the text was last read from or written to it.
    FileVersion Base;
};

extern DocumentStateRecord DocumentState;

// The FilePath of a document that has no file yet.
extern const wchar_t* const kUntitled;

int IsUntitled(const wchar_t* path);
