#include "document/safesave.h"

#include <cwchar>

#include "platform/lockedretry.h"
#include "platform/scopedhandle.h"
#include "platform/wholefile.h"

decltype(&::ReplaceFileW) ReplaceFileCall = ::ReplaceFileW;
decltype(&::WriteFile) WriteFileCall = ::WriteFile;

namespace {

bool WritePieces(HANDLE file, const FilePiece* pieces, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (!WriteWhole(file, pieces[i].data, pieces[i].size, WriteFileCall))
            return false;
    }
    return true;
}

bool Rewind(HANDLE file)
{
    LARGE_INTEGER start = {};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != FALSE;
}

// Makes the contents of to those of from, both taken from their start, and
// flushes them to disk. Needs no memory beyond its own stack.
bool CopyContents(HANDLE from, HANDLE to)
{
    if (!Rewind(from) || !Rewind(to))
        return false;
    BYTE buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, buffer, sizeof(buffer), &got, nullptr))
            return false;
        if (got == 0)
            break;
        if (!WriteWhole(to, buffer, got, WriteFileCall))
            return false;
    }
    return SetEndOfFile(to) && FlushFileBuffers(to);
}

// Creates a file of a new name in folder (long form, ending in a backslash),
// open for reading and writing; name receives its path. GetTempFileNameW
// would do the same but refuses folders longer than MAX_PATH - 14.
HANDLE CreateFileBeside(const wchar_t* folder, wchar_t* name, DWORD capacity)
{
    const size_t folderLength = wcslen(folder);
    if (folderLength + 12 > capacity)  // "scrXXXX.tmp" and the terminator
        return INVALID_HANDLE_VALUE;
    wmemcpy(name, folder, folderLength);
    const DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 8);
    for (DWORD attempt = 0; attempt <= 0xFFFF; ++attempt) {
        wsprintfW(name + folderLength, L"scr%04X.tmp", (seed + attempt) & 0xFFFF);
        HANDLE file =
            CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE ||
            (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS))
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Follows symbolic links from path (long form, of an existing file) to the
// file they lead to, written back into path, and gives its number of names
// (hard links); 0 when the file cannot be asked.
DWORD ResolveFile(wchar_t* path, DWORD capacity)
{
    ScopedHandle file(CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION information;
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &information))
        return 0;
    // Systems before Vista have no symbolic links to files, nor this call.
    using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    auto finalPathOf = reinterpret_cast<FinalPathFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "GetFinalPathNameByHandleW")));
    wchar_t resolved[kLongPathCapacity];
    DWORD length = finalPathOf ? finalPathOf(file.get(), resolved, kLongPathCapacity, 0) : 0;  // VOLUME_NAME_DOS
    if (length > 0 && length < kLongPathCapacity && length < capacity && wcsncmp(resolved, L"\\\\?\\", 4) == 0)
        wcscpy(path, resolved);
    return information.nNumberOfLinks;
}

// Removes a file the store made or moved aside. A scanner that looks at new
// files may hold it open for a moment, as it may the target; a copy left
// beside a file with several names would refuse its next save.
void DeleteRetried(const wchar_t* path)
{
    RetriedWhileLocked([path] { return DeleteFileW(path) != FALSE; });
}

// Gives path in the form the user knows, the one LongPathForm started from.
void UsualForm(const wchar_t* path, wchar_t* usual)
{
    if (wcsncmp(path, L"\\\\?\\UNC\\", 8) == 0) {
        usual[0] = L'\\';
        wcscpy(usual + 1, path + 7);  // "\\?\UNC\server\..." becomes "\\server\..."
    } else {
        wcscpy(usual, wcsncmp(path, L"\\\\?\\", 4) == 0 ? path + 4 : path);
    }
}

void NoteLeftCopy(StoreFailure* failure, LeftCopy left, const wchar_t* copy)
{
    if (!failure)
        return;
    failure->left = left;
    UsualForm(copy, failure->copy);
}

// Wine's ReplaceFileW carries neither the target's attributes nor its
// permissions over to the new file (Windows's keeps the permissions). The
// attributes go on the new file before it takes the name, so that failing to
// set them leaves the target as it was.
// The permissions are put back once the new file has the name, and only as
// far as they can be: a volume that keeps none (FAT) or a user who may not
// read or change them must still be able to save, and Windows has kept them.
struct KeptPermissions {
    // A DACL is at most 64 KB (its size is a WORD), besides the descriptor's header.
    alignas(void*) BYTE descriptor[0x10000 + sizeof(SECURITY_DESCRIPTOR)];
    bool read;
};

void ReadPermissions(const wchar_t* path, KeptPermissions* kept)
{
    DWORD needed = 0;
    kept->read =
        GetFileSecurityW(path, DACL_SECURITY_INFORMATION, kept->descriptor, sizeof(kept->descriptor), &needed) != FALSE;
}

void PutBackPermissions(const wchar_t* path, const KeptPermissions& kept)
{
    if (kept.read)
        SetFileSecurityW(path, DACL_SECURITY_INFORMATION, const_cast<BYTE*>(kept.descriptor));
}

// The old file is moved to a free name beside it, so that a replace that
// stops halfway still tells where the old file went. Puts a file back under
// target's name when one stopped with the old file moved aside
// (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2): the new one if it moves, else the old.
bool ReplaceExisting(const wchar_t* target, const wchar_t* replacement, const wchar_t* folder, StoreFailure* failure)
{
    wchar_t old[kLongPathCapacity];
    ScopedHandle free(CreateFileBeside(folder, old, kLongPathCapacity));
    if (!free.valid())
        return false;
    free.close();
    DeleteRetried(old);  // only the name is wanted: a file under it afterwards is the old one
    bool replaced = RetriedWhileLocked([&] {
        return ReplaceFileCall(target, replacement, old, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) != FALSE;
    });
    if (!replaced && GetFileAttributesW(target) == INVALID_FILE_ATTRIBUTES &&
        GetFileAttributesW(old) != INVALID_FILE_ATTRIBUTES) {
        replaced = MoveFileW(replacement, target) != FALSE;
        if (!replaced && !MoveFileW(old, target)) {
            NoteLeftCopy(failure, LeftCopy::OldContents, old);
            return false;
        }
    }
    DeleteRetried(old);
    return replaced;
}

// Writes the pieces to a complete new file beside target and puts it in
// target's place; a target that does not exist yet (attributes
// INVALID_FILE_ATTRIBUTES) gets it by a rename. The new file gives the name a
// file of its own, which is right only while the file has no other name.
bool ReplaceByNewFile(const wchar_t* target, const wchar_t* folder, DWORD attributes, const FilePiece* pieces,
                      size_t count, StoreFailure* failure)
{
    wchar_t temporary[kLongPathCapacity];
    ScopedHandle file(CreateFileBeside(folder, temporary, kLongPathCapacity));
    if (!file.valid())
        return false;
    bool written = WritePieces(file.get(), pieces, count) && FlushFileBuffers(file.get());
    file.close();
    bool replaced = false;
    if (written && attributes == INVALID_FILE_ATTRIBUTES) {
        replaced = MoveFileW(temporary, target) != FALSE;
    } else if (written && SetFileAttributesW(temporary, attributes)) {
        KeptPermissions kept;
        ReadPermissions(target, &kept);
        replaced = ReplaceExisting(target, temporary, folder, failure);
        if (replaced)
            PutBackPermissions(target, kept);
    }
    if (!replaced)
        DeleteRetried(temporary);
    return replaced;
}

// The copy's name: the file's own with kBackupSuffix, the name cut where both
// together would pass the longest name a folder holds.
void BackupNameOf(const wchar_t* target, wchar_t* backup)
{
    const size_t kLongestName = 255;
    const size_t room = kLongestName - (ARRAYSIZE(kBackupSuffix) - 1);
    wcscpy(backup, target);
    wchar_t* name = wcsrchr(backup, L'\\') + 1;
    size_t length = wcslen(name);
    if (length > room)
        length = room;
    wcscpy(name + length, kBackupSuffix);
}

HANDLE OpenForRewrite(const wchar_t* target)
{
    HANDLE file = INVALID_HANDLE_VALUE;
    RetriedWhileLocked([&] {
        file = CreateFileW(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
        return file != INVALID_HANDLE_VALUE;
    });
    return file;
}

// Every name of the file keeps seeing it, so its contents are overwritten
// where they are. The copy of the old contents is complete on disk before the
// file is touched, and goes only once the new contents are: a save that is
// interrupted leaves it, under a name that tells whose it is.
bool RewriteInPlace(const wchar_t* target, const FilePiece* pieces, size_t count, StoreFailure* failure)
{
    ScopedHandle file(OpenForRewrite(target));
    if (!file.valid())
        return false;
    wchar_t backupName[kCopyNameCapacity];
    BackupNameOf(target, backupName);
    ScopedHandle backup(
        CreateFileW(backupName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!backup.valid()) {
        // It may be all that is left of an older text: the user decides what becomes of it.
        if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS)
            NoteLeftCopy(failure, LeftCopy::EarlierCopy, backupName);
        return false;
    }
    bool saved = false;
    bool keepBackup = false;
    if (CopyContents(file.get(), backup.get())) {
        saved = Rewind(file.get()) && WritePieces(file.get(), pieces, count) && SetEndOfFile(file.get()) &&
                FlushFileBuffers(file.get());
        // Should even the old contents not go back, the copy is all that is left of them.
        keepBackup = !saved && !CopyContents(backup.get(), file.get());
    }
    backup.close();
    if (keepBackup)
        NoteLeftCopy(failure, LeftCopy::OldContents, backupName);
    else
        DeleteRetried(backupName);
    return saved;
}

}  // namespace

bool LongPathForm(const wchar_t* path, wchar_t* longPath, DWORD capacity)
{
    wchar_t full[kLongPathCapacity];
    DWORD length = GetFullPathNameW(path, kLongPathCapacity, full, nullptr);
    if (length == 0 || length >= kLongPathCapacity)
        return false;
    const wchar_t* prefix = L"\\\\?\\";
    const wchar_t* rest = full;
    if (wcsncmp(full, L"\\\\?\\", 4) == 0 || wcsncmp(full, L"\\\\.\\", 4) == 0) {
        prefix = L"";  // already beyond the limit's reach
    } else if (full[0] == L'\\' && full[1] == L'\\') {
        prefix = L"\\\\?\\UNC\\";  // \\server\share\... becomes \\?\UNC\server\share\...
        rest = full + 2;
    }
    const size_t prefixLength = wcslen(prefix);
    const size_t restLength = wcslen(rest);
    if (prefixLength + restLength >= capacity)
        return false;
    wmemcpy(longPath, prefix, prefixLength);
    wmemcpy(longPath + prefixLength, rest, restLength + 1);
    return true;
}

bool StoreFileContents(const wchar_t* path, const FilePiece* pieces, size_t count, StoreFailure* failure)
{
    if (failure)
        failure->left = LeftCopy::None;
    wchar_t target[kLongPathCapacity];
    if (!LongPathForm(path, target, kLongPathCapacity))
        return false;
    DWORD attributes = GetFileAttributesW(target);
    DWORD links = 0;
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        // A rename over a symbolic link would replace the link, not the file
        // it leads to: the file itself is saved, beside itself.
        links = ResolveFile(target, kLongPathCapacity);
        attributes = GetFileAttributesW(target);
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;  // a read-only file or a folder is never overwritten

    wchar_t folder[kLongPathCapacity];
    wcscpy(folder, target);
    wchar_t* lastSlash = wcsrchr(folder, L'\\');
    if (!lastSlash || !lastSlash[1])
        return false;  // no file name: a drive
    lastSlash[1] = L'\0';
    if (links > 1)
        return RewriteInPlace(target, pieces, count, failure);
    return ReplaceByNewFile(target, folder, attributes, pieces, count, failure);
}
