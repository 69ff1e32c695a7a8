// Storing new contents in a file so that a failure at any step leaves the old
// contents readable under every name the file has.
#pragma once
#include <windows.h>

#include <cstddef>

// A run of bytes to store, read in place from whoever owns it.
struct FilePiece {
    const void* data;
    size_t size;
};

// Room for any path the program is given, in its long-path form.
const DWORD kLongPathCapacity = 1024;

// Makes path full and puts it in the form that lifts the MAX_PATH limit
// ("\\?\C:\..." or "\\?\UNC\server\share\..."), so that names made beside
// the file may be longer than the file's own. False when it does not fit.
bool LongPathForm(const wchar_t* path, wchar_t* longPath, DWORD capacity);

// Replaces the contents of path with the pieces, in order. A file with one
// name gets a complete new file renamed over it. A file with more names (hard
// links) is rewritten in place after its old contents are copied beside it,
// and put back from that copy when the write fails. Read-only files and
// folders are refused. Returns false on failure: the file then holds its old
// contents, or, should even putting them back fail, the copy beside it does.
bool StoreFileContents(const wchar_t* path, const FilePiece* pieces, size_t count);
