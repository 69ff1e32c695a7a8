#include "document/safesave.h"

#include <cwchar>

#include "document/scopedhandle.h"

namespace {

// Large enough to keep the number of calls low, small enough for any DWORD.
const DWORD kWriteChunk = 1u << 20;

bool WriteWhole(HANDLE file, const void* data, size_t size)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    while (size > 0) {
        DWORD part = size < kWriteChunk ? static_cast<DWORD>(size) : kWriteChunk;
        DWORD put = 0;
        if (!WriteFile(file, bytes, part, &put, nullptr) || put == 0)
            return false;
        bytes += put;
        size -= put;
    }
    return true;
}

bool WritePieces(HANDLE file, const FilePiece* pieces, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (!WriteWhole(file, pieces[i].data, pieces[i].size))
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
        if (!WriteWhole(to, buffer, got))
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

// A rename over the old file is atomic; it fails cleanly, leaving the old
// file, while another program holds it open without sharing. It gives the
// name a new file, which is right only while the file has no other name.
bool ReplaceByRename(const wchar_t* target, const wchar_t* folder, DWORD attributes, const FilePiece* pieces,
                     size_t count)
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
    } else if (written) {
        replaced = MoveFileExW(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        // The new file has the attributes of a new file; a hidden one must stay hidden.
        if (replaced)
            SetFileAttributesW(target, attributes);
    }
    if (!replaced)
        DeleteFileW(temporary);
    return replaced;
}

// Every name of the file keeps seeing it, so its contents are overwritten
// where they are; the copy beside it stands in for the old file until the new
// contents are on disk.
bool RewriteInPlace(const wchar_t* target, const wchar_t* folder, const FilePiece* pieces, size_t count)
{
    ScopedHandle file(CreateFileW(target, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!file.valid())
        return false;
    wchar_t backupName[kLongPathCapacity];
    ScopedHandle backup(CreateFileBeside(folder, backupName, kLongPathCapacity));
    if (!backup.valid())
        return false;
    bool saved = false;
    bool keepBackup = false;
    if (CopyContents(file.get(), backup.get())) {
        saved = Rewind(file.get()) && WritePieces(file.get(), pieces, count) && SetEndOfFile(file.get()) &&
                FlushFileBuffers(file.get());
        // Should even the old contents not go back, the copy is all that is left of them.
        keepBackup = !saved && !CopyContents(backup.get(), file.get());
    }
    backup.close();
    if (!keepBackup)
        DeleteFileW(backupName);
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

bool StoreFileContents(const wchar_t* path, const FilePiece* pieces, size_t count)
{
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
        return RewriteInPlace(target, folder, pieces, count);
    return ReplaceByRename(target, folder, attributes, pieces, count);
}
