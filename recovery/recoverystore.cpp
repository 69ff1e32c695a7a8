#include "recovery/recoverystore.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include "platform/lockedretry.h"
#include "platform/scopedhandle.h"
#include "platform/wholefile.h"
#include "recovery/recoverylock.h"

namespace {

const int kProcessPartLength = 8 + 1 + 16;  // "PPPPPPPP-SSSSSSSSSSSSSSSS"
const wchar_t kCopyExtension[] = L".recovery";

// The endings of the names that are one process part and an ending.
const struct {
    const wchar_t* ending;
    StoreEntry kind;
} kEndings[] = {
    {kCopyExtension, StoreEntry::Copy},
    {L".lock", StoreEntry::Lock},
    {L".recovery-new", StoreEntry::Leftover},
};

std::wstring ProcessPart(const ProcessIdentity& process)
{
    wchar_t part[32];
    swprintf(part, 32, L"%08lX-%08lX%08lX", static_cast<unsigned long>(process.Id),
             static_cast<unsigned long>(process.Start.dwHighDateTime),
             static_cast<unsigned long>(process.Start.dwLowDateTime));
    return part;
}

bool ParseHex(const wchar_t* text, int digits, unsigned long long* value)
{
    *value = 0;
    for (int i = 0; i < digits; ++i) {
        const wchar_t c = text[i];
        int digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return false;
        *value = (*value << 4) | static_cast<unsigned>(digit);
    }
    return true;
}

// "PPPPPPPP-SSSSSSSSSSSSSSSS" at text.
bool ParseProcessPart(const wchar_t* text, ProcessIdentity* process)
{
    unsigned long long id, start;
    if (!ParseHex(text, 8, &id) || text[8] != L'-' || !ParseHex(text + 9, 16, &start))
        return false;
    process->Id = static_cast<DWORD>(id);
    process->Start.dwHighDateTime = static_cast<DWORD>(start >> 32);
    process->Start.dwLowDateTime = static_cast<DWORD>(start);
    return true;
}

HANDLE OpenCopy(const wchar_t* path)
{
    // Sharing delete lets the writer rename its next copy over this one while
    // it is read, where the file system allows that.
    return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool Rename(const wchar_t* folder, const std::wstring& from, const std::wstring& to)
{
    // MoveFileW never replaces: of two processes renaming one name, one wins.
    return MoveFileW(StorePath(folder, from).c_str(), StorePath(folder, to).c_str()) != FALSE;
}

// The version of the copy at path, as far as its header tells; a copy that
// cannot be read is taken for one written before locks, so that its writer
// is asked about too.
uint32_t CopyVersionAt(const std::wstring& path)
{
    RecoveryHeader header;
    return ReadRecoveryHeader(path.c_str(), &header) == CopyCondition::Unusable ? 1 : header.Version;
}

}  // namespace

bool RecoveryFolder(wchar_t folder[kPathCapacity], StoreUse use)
{
    wchar_t base[MAX_PATH];
    const int made = use == StoreUse::Write ? CSIDL_FLAG_CREATE : 0;
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | made, nullptr, SHGFP_TYPE_CURRENT, base)))
        return false;
    const std::wstring program = std::wstring(base) + L"\\Scrivlet";
    const std::wstring store = program + L"\\Recovery";
    if (store.size() >= kPathCapacity)
        return false;
    if (use == StoreUse::Write) {
        CreateDirectoryW(program.c_str(), nullptr);
        CreateDirectoryW(store.c_str(), nullptr);
    }
    const DWORD attributes = GetFileAttributesW(store.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    wcscpy(folder, store.c_str());
    return true;
}

std::wstring StorePath(const wchar_t* folder, const std::wstring& name)
{
    return std::wstring(folder) + L"\\" + name;
}

std::wstring OwnCopyName(const ProcessIdentity& owner)
{
    return ProcessPart(owner) + kCopyExtension;
}

std::wstring ClaimName(const ProcessIdentity& claimer, const ProcessIdentity& original)
{
    return ProcessPart(claimer) + L"~" + OwnCopyName(original);
}

std::wstring LockName(const ProcessIdentity& owner)
{
    return ProcessPart(owner) + kEndings[1].ending;
}

std::wstring LeftoverName(const ProcessIdentity& owner)
{
    return ProcessPart(owner) + kEndings[2].ending;
}

bool ParseCopyName(const wchar_t* name, CopyName* parsed)
{
    CopyName read = {};
    if (wcslen(name) < kProcessPartLength || !ParseProcessPart(name, &read.Owner))
        return false;
    const wchar_t* rest = name + kProcessPartLength;
    if (rest[0] == L'~') {
        if (wcslen(rest + 1) < kProcessPartLength || !ParseProcessPart(rest + 1, &read.Original) ||
            wcscmp(rest + 1 + kProcessPartLength, kCopyExtension) != 0)
            return false;
        read.Kind = StoreEntry::Claim;
        *parsed = read;
        return true;
    }
    for (const auto& ending : kEndings) {
        if (wcscmp(rest, ending.ending) == 0) {
            read.Kind = ending.kind;
            *parsed = read;
            return true;
        }
    }
    return false;
}

bool WriteRecoveryCopy(const wchar_t* folder, const RecoveryHeader& header, const wchar_t* text)
{
    const std::wstring copy = StorePath(folder, OwnCopyName(header.Writer));
    const std::wstring fresh = StorePath(folder, LeftoverName(header.Writer));
    uint8_t head[kRecoveryHeaderSize];
    EncodeRecoveryHeader(header, head);
    bool written;
    {
        HANDLE opened = INVALID_HANDLE_VALUE;
        RetriedWhileLocked([&] {
            opened =
                CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            return opened != INVALID_HANDLE_VALUE;
        });
        ScopedHandle file(opened);
        written = file.valid() && WriteWhole(file.get(), head, sizeof(head)) &&
                  WriteWhole(file.get(), text, static_cast<size_t>(header.TextLength) * sizeof(wchar_t)) &&
                  FlushFileBuffers(file.get());
    }
    // A reader of the copy (a scanner, another start looking at it) holds
    // its name for a moment.
    auto renamed = [&] {
        return MoveFileExW(fresh.c_str(), copy.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    };
    if (written && RetriedWhileLocked(renamed, IsHeldOpenError))
        return true;
    RetriedWhileLocked([&] { return DeleteFileW(fresh.c_str()) != FALSE; });
    return false;
}

bool RemoveRecoveryCopy(const wchar_t* folder, const ProcessIdentity& owner)
{
    const std::wstring path = StorePath(folder, OwnCopyName(owner));
    return RetriedWhileLocked([&] { return DeleteFileW(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; });
}

CopyCondition ReadRecoveryHeader(const wchar_t* path, RecoveryHeader* header)
{
    ScopedHandle file(OpenCopy(path));
    LARGE_INTEGER size;
    uint8_t head[kRecoveryHeaderSize];
    if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart < static_cast<LONGLONG>(kFirstHeaderSize))
        return CopyCondition::Unusable;
    // An earlier version's header is shorter, and so may its whole copy be.
    const size_t read =
        size.QuadPart < static_cast<LONGLONG>(sizeof(head)) ? static_cast<size_t>(size.QuadPart) : sizeof(head);
    if (!ReadWhole(file.get(), head, read))
        return CopyCondition::Unusable;
    return DecodeRecoveryHeader(head, read, static_cast<uint64_t>(size.QuadPart), header);
}

HLOCAL ReadRecoveryText(const wchar_t* path, const RecoveryHeader& header)
{
    // The length was checked against the file's size, but a 32-bit program
    // may still not be able to address it.
    if (header.TextLength >= (static_cast<size_t>(-1) / sizeof(wchar_t)) - 1)
        return nullptr;
    const size_t length = static_cast<size_t>(header.TextLength);
    ScopedHandle file(OpenCopy(path));
    LARGE_INTEGER offset;
    offset.QuadPart = header.HeaderSize;
    if (!file.valid() || !SetFilePointerEx(file.get(), offset, nullptr, FILE_BEGIN))
        return nullptr;
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, (length + 1) * sizeof(wchar_t));
    wchar_t* text = block ? static_cast<wchar_t*>(LocalLock(block)) : nullptr;
    const bool read = text && ReadWhole(file.get(), text, length * sizeof(wchar_t));
    if (text) {
        text[length] = L'\0';
        LocalUnlock(block);
    }
    if (read)
        return block;
    if (block)
        LocalFree(block);
    return nullptr;
}

std::vector<std::wstring> ClaimAbandonedCopies(const wchar_t* folder, const ProcessIdentity& claimer)
{
    struct Found {
        std::wstring name;
        CopyName parsed;
    };
    std::vector<Found> found;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(StorePath(folder, L"*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            CopyName parsed;
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && ParseCopyName(entry.cFileName, &parsed) &&
                !SameProcess(parsed.Owner, claimer))
                found.push_back({entry.cFileName, parsed});
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    auto writer = [](const Found& f) {
        return f.parsed.Kind == StoreEntry::Claim ? f.parsed.Original : f.parsed.Owner;
    };
    std::sort(found.begin(), found.end(), [&](const Found& a, const Found& b) {
        const FILETIME ta = writer(a).Start, tb = writer(b).Start;
        return CompareFileTime(&ta, &tb) < 0;
    });
    std::vector<std::wstring> claims;
    for (const Found& f : found) {
        const std::wstring path = StorePath(folder, f.name);
        switch (f.parsed.Kind) {
            case StoreEntry::Lock:
                // Judging a lock removes it when nobody holds it.
                RecoveryLockHeld(folder, f.parsed.Owner);
                break;
            case StoreEntry::Leftover:
                if (!RecoveryOwnerRuns(folder, f.parsed.Owner, CopyVersionAt(path)))
                    RetriedWhileLocked([&] { return DeleteFileW(path.c_str()) != FALSE; });
                break;
            case StoreEntry::Copy:
            case StoreEntry::Claim:
                if (!RecoveryOwnerRuns(folder, f.parsed.Owner, CopyVersionAt(path))) {
                    const std::wstring claim = ClaimName(claimer, writer(f));
                    if (Rename(folder, f.name, claim))
                        claims.push_back(claim);
                }
                break;
        }
    }
    return claims;
}

bool TakeOverClaim(const wchar_t* folder, const std::wstring& claim, const ProcessIdentity& claimer,
                   std::wstring* taken)
{
    CopyName parsed;
    if (!ParseCopyName(claim.c_str(), &parsed) || parsed.Kind != StoreEntry::Claim)
        return false;
    const std::wstring mine = ClaimName(claimer, parsed.Original);
    if (!Rename(folder, claim, mine))
        return false;
    *taken = mine;
    return true;
}

bool ReleaseClaim(const wchar_t* folder, const std::wstring& claim)
{
    CopyName parsed;
    return ParseCopyName(claim.c_str(), &parsed) && parsed.Kind == StoreEntry::Claim &&
           Rename(folder, claim, OwnCopyName(parsed.Original));
}

bool AdoptClaim(const wchar_t* folder, const std::wstring& claim)
{
    CopyName parsed;
    return ParseCopyName(claim.c_str(), &parsed) && parsed.Kind == StoreEntry::Claim &&
           MoveFileExW(StorePath(folder, claim).c_str(), StorePath(folder, OwnCopyName(parsed.Owner)).c_str(),
                       MOVEFILE_WRITE_THROUGH);
}

bool DiscardClaim(const wchar_t* folder, const std::wstring& claim)
{
    CopyName parsed;
    const std::wstring path = StorePath(folder, claim);
    return ParseCopyName(claim.c_str(), &parsed) && parsed.Kind == StoreEntry::Claim &&
           RetriedWhileLocked([&] { return DeleteFileW(path.c_str()) != FALSE; });
}
