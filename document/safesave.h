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

// What the copy of a file with several names is called while it is rewritten:
// the file's own name with this ending.
const wchar_t kBackupSuffix[] = L".scrivlet-backup";
const DWORD kCopyNameCapacity = kLongPathCapacity + ARRAYSIZE(kBackupSuffix);

// A copy a failed store leaves beside the file for the user to look at.
enum class LeftCopy {
    None,
    OldContents,  // this store could not put the old contents back: they are in the copy
    EarlierCopy,  // a copy an earlier, interrupted store left is in the way; it is untouched
};
struct StoreFailure {
    LeftCopy left;
    wchar_t copy[kCopyNameCapacity];  // the copy's path in its usual form (no "\\?\")
};

// Makes path full and puts it in the form that lifts the MAX_PATH limit
// ("\\?\C:\..." or "\\?\UNC\server\share\..."), so that names made beside
// the file may be longer than the file's own. False when it does not fit.
bool LongPathForm(const wchar_t* path, wchar_t* longPath, DWORD capacity);

// Replaces the contents of path with the pieces, in order. A file with one
// name gets a complete new file put in its place with ReplaceFileW, which
// keeps what the file had (security, streams, creation time); its attributes
// are copied onto the new file first, and its permissions put back after
// where the platform did not keep them and allows it. A new file is
// renamed into place. A file with more names (hard links) is rewritten in
// place after its old contents are copied to NAME.scrivlet-backup beside it
// (NAME cut where the whole would pass 255 characters); the copy is put back
// when the write fails and deleted after. Such a copy that is already there
// is never overwritten: the store is refused. A target that another program
// holds open without sharing is tried again for about a second, and so is
// each delete that cleans up after the store (its new file, the old file's
// reserved name, the copy). Read-only files and folders are refused at once. Returns false on failure: the file
// then holds its old contents under its own name, or, should even putting
// them back fail, the copy beside it does. failure, when given, says which
// copy a failure left for the user (LeftCopy::None else).
bool StoreFileContents(const wchar_t* path, const FilePiece* pieces, size_t count, StoreFailure* failure = nullptr);

// The calls that put the new contents in place. Tests swap them to stand for
// failures that the file system under test cannot be made to give.
extern decltype(&::ReplaceFileW) ReplaceFileCall;
extern decltype(&::WriteFile) WriteFileCall;
