// The one open document: where it lives on disk, whether it changed since it
// was last read or written, and how its file stores the text.
#pragma once
#include <windows.h>

#include "document/encoding.h"

const int kPathCapacity = MAX_PATH + 1;  // 260 characters and the terminator

struct DocumentStateRecord {
    wchar_t FilePath[kPathCapacity];  // full path, or kUntitled
    int IsModified;
    // Format.IsUnicode is 0 for ANSI and 1 for UTF-16LE, as it always was;
    // the rest of the format lives in memory only.
    TextFormat Format;
};

extern DocumentStateRecord DocumentState;

// The FilePath of a document that has no file yet.
extern const wchar_t* const kUntitled;

int IsUntitled(const wchar_t* path);

// Writes the text after the last backslash (or the whole path when it has
// none past its first character) into destination. Returns -1 for a missing or
// empty path, a missing destination or a zero capacity, else 0.
int FileNameFromPath(const wchar_t* path, wchar_t* destination, int capacity);

// Copies a present, non-empty source with its terminator; returns 1, else 0.
int CopyPath(const wchar_t* source, wchar_t* destination);
