// Paths as the program keeps them: at most MAX_PATH characters.
#pragma once
#include <windows.h>

const int kPathCapacity = MAX_PATH + 1;  // 260 characters and the terminator

// Writes the text after the last backslash (or the whole path when it has
// none past its first character) into destination. Returns -1 for a missing or
// empty path, a missing destination or a zero capacity, else 0.
int FileNameFromPath(const wchar_t* path, wchar_t* destination, int capacity);

// Copies a present, non-empty source with its terminator; returns 1, else 0.
int CopyPath(const wchar_t* source, wchar_t* destination);
