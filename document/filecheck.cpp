#include "document/filecheck.h"

#include <memory>
#include <new>

#include "platform/scopedhandle.h"

namespace {

// Hashes the bytes of the file under path as they are now, in pieces, so that
// the check needs no memory of the file's size. False when it cannot be read.
bool HashFileBytes(const wchar_t* path, uint64_t* hash)
{
    ScopedHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid())
        return false;
    const DWORD kChunk = 1u << 20;
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kChunk]);
    if (!buffer)
        return false;
    ContentHash contents;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer.get(), kChunk, &got, nullptr))
            return false;
        if (got == 0)
            break;
        contents.Add(buffer.get(), got);
    }
    *hash = contents.Value();
    return true;
}

}  // namespace

bool (*IdentityAtCall)(const wchar_t* path, FileVersion* version) = ReadFileIdentityAt;

bool SameIdentity(const FileVersion& base, const FileVersion& now)
{
    if (CompareFileTime(&base.LastWrite, &now.LastWrite) != 0 || base.Size != now.Size)
        return false;
    return !(base.HasIndex && now.HasIndex) ||
           (base.VolumeSerial == now.VolumeSerial && base.IndexHigh == now.IndexHigh && base.IndexLow == now.IndexLow);
}

ReadCheck JudgeRead(bool beforeTaken, const FileVersion& before, bool afterTaken, const FileVersion& after, int attempt)
{
    if (!beforeTaken || !afterTaken)
        return ReadCheck::Unknown;
    if (SameIdentity(before, after))
        return ReadCheck::Whole;
    return attempt < kReadAttempts ? ReadCheck::ReadAgain : ReadCheck::Unknown;
}

FileState ClassifyFile(const FileVersion& base, const FileLook& look)
{
    if (!base.Known)
        return FileState::Unknown;
    if (!look.identityRead) {
        const bool gone = look.identityError == ERROR_FILE_NOT_FOUND || look.identityError == ERROR_PATH_NOT_FOUND;
        return gone ? FileState::Gone : FileState::Unknown;
    }
    if (SameIdentity(base, look.identity))
        return FileState::Same;
    // Backup and sync tools touch files, FAT keeps times to two seconds and a
    // network drive has a clock of its own: the bytes decide.
    if (look.hashed && look.identity.Size == base.Size && look.identity.Hash == base.Hash)
        return FileState::Same;
    return FileState::Changed;
}

FileState CheckFile(const wchar_t* path, const FileVersion& base, FileVersion* now)
{
    FileLook look = {};
    for (int attempt = 1;; ++attempt) {
        look = FileLook();
        look.identityRead = IdentityAtCall(path, &look.identity);
        look.identityError = look.identityRead ? ERROR_SUCCESS : GetLastError();
        if (!base.Known || !look.identityRead || SameIdentity(base, look.identity) || look.identity.Size != base.Size)
            break;
        look.hashed = HashFileBytes(path, &look.identity.Hash);
        FileVersion after = {};
        const ReadCheck read = JudgeRead(true, look.identity, IdentityAtCall(path, &after), after, attempt);
        if (read == ReadCheck::Whole)
            break;
        if (read == ReadCheck::Unknown) {
            if (now)
                *now = FileVersion();
            return FileState::Unknown;
        }
    }
    look.identity.Known = look.identityRead;
    const FileState state = ClassifyFile(base, look);
    // An unchanged file's bytes are those hashed before.
    if (state == FileState::Same && !look.hashed)
        look.identity.Hash = base.Hash;
    if (now)
        *now = look.identity;
    return state;
}
