// Reading and writing a whole buffer through the system's calls, which move
// at most a DWORD's worth at a time and may move less than asked.
#pragma once
#include <windows.h>

#include <cstddef>

// Reads exactly size bytes; false on an error or when the file ends first.
bool ReadWhole(HANDLE file, void* data, size_t size);

// Writes all size bytes through write: WriteFile, or the stand-in a test
// puts in its place.
bool WriteWhole(HANDLE file, const void* data, size_t size, decltype(&::WriteFile) write = ::WriteFile);
