// Telling one version of a file from another: the hash, and the decision
// made from what the platform says of the file.
#include "document/fileversion.h"

#include "document/filecheck.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/scratch_folder.h"

namespace {

uint64_t HashOf(const std::string& bytes)
{
    ContentHash hash;
    hash.Add(bytes.data(), bytes.size());
    return hash.Value();
}

TEST(ContentHash, PiecesGiveTheHashOfTheWholeAndAnyChangedByteChangesIt)
{
    const std::string bytes = "The quick brown fox\r\njumps over the lazy dog.\r\n";
    for (size_t first = 0; first <= bytes.size(); first += 3) {
        for (size_t second = first; second <= bytes.size(); second += 5) {
            ContentHash pieces;
            pieces.Add(bytes.data(), first);
            pieces.Add(bytes.data() + first, second - first);
            pieces.Add(bytes.data() + second, bytes.size() - second);
            EXPECT_EQ(pieces.Value(), HashOf(bytes)) << "split at " << first << " and " << second;
        }
    }
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::string changed = bytes;
        changed[i] ^= 1;
        EXPECT_NE(HashOf(changed), HashOf(bytes)) << "byte " << i;
    }
    EXPECT_NE(HashOf(bytes + std::string(1, '\0')), HashOf(bytes));
    EXPECT_NE(HashOf(std::string(8, '\0')), HashOf(""));
}

FileVersion Version(DWORD writeTime, ULONGLONG size, DWORD index, uint64_t hash)
{
    FileVersion version = {};
    version.Known = 1;
    version.LastWrite.dwLowDateTime = writeTime;
    version.Size = size;
    version.HasIndex = 1;
    version.VolumeSerial = 7;
    version.IndexLow = index;
    version.Hash = hash;
    return version;
}

TEST(ClassifyFile, OnlyOtherBytesAreAChangeAndOnlyAMissingFileIsGone)
{
    const FileVersion base = Version(100, 10, 1, 0xABC);
    FileVersion unknownBase = base;
    unknownBase.Known = 0;
    const struct {
        const char* name;
        FileVersion base;
        bool identityRead;
        DWORD error;
        FileVersion identity;
        bool hashed;
        FileState expected;
    } cases[] = {
        {"untitled: nothing to compare", unknownBase, true, 0, base, false, FileState::Unknown},
        {"as it was", base, true, 0, base, false, FileState::Same},
        {"touched, same bytes", base, true, 0, Version(200, 10, 1, 0xABC), true, FileState::Same},
        {"write time went back, same bytes", base, true, 0, Version(50, 10, 1, 0xABC), true, FileState::Same},
        {"another file of the same bytes", base, true, 0, Version(100, 10, 2, 0xABC), true, FileState::Same},
        {"rewritten", base, true, 0, Version(200, 10, 1, 0xDEF), true, FileState::Changed},
        {"longer", base, true, 0, Version(200, 11, 1, 0), false, FileState::Changed},
        {"touched but locked", base, true, 0, Version(200, 10, 1, 0), false, FileState::Changed},
        {"deleted", base, false, ERROR_FILE_NOT_FOUND, {}, false, FileState::Gone},
        {"folder deleted", base, false, ERROR_PATH_NOT_FOUND, {}, false, FileState::Gone},
        {"access denied", base, false, ERROR_ACCESS_DENIED, {}, false, FileState::Unknown},
        {"locked", base, false, ERROR_SHARING_VIOLATION, {}, false, FileState::Unknown},
        {"network gone", base, false, ERROR_BAD_NETPATH, {}, false, FileState::Unknown},
    };
    for (const auto& c : cases) {
        const FileLook look = {c.identityRead, c.error, c.identity, c.hashed};
        EXPECT_EQ(ClassifyFile(c.base, look), c.expected) << c.name;
    }
}

TEST(JudgeRead, BytesBetweenTwoEqualIdentitiesAreTheFilesAndAFileThatKeepsChangingIsUnknown)
{
    FileVersion before = {};
    before.Known = 1;
    before.Size = 10;
    before.LastWrite = {100, 1};
    FileVersion appended = before;
    appended.Size = 20;
    FileVersion rewritten = before;
    rewritten.LastWrite.dwLowDateTime += 1;
    const struct {
        bool beforeTaken;
        const FileVersion& after;
        bool afterTaken;
        int attempt;
        ReadCheck expected;
    } cases[] = {
        {true, before, true, 1, ReadCheck::Whole},
        {true, before, true, kReadAttempts, ReadCheck::Whole},
        {true, appended, true, 1, ReadCheck::ReadAgain},
        {true, rewritten, true, kReadAttempts - 1, ReadCheck::ReadAgain},
        {true, appended, true, kReadAttempts, ReadCheck::Unknown},
        {false, before, true, 1, ReadCheck::Unknown},
        {true, before, false, 1, ReadCheck::Unknown},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JudgeRead(c.beforeTaken, before, c.afterTaken, c.after, c.attempt), c.expected)
            << c.beforeTaken << c.afterTaken << " size " << c.after.Size << " attempt " << c.attempt;
}

// The real file system's answers: a touch keeps the version, so does a copy
// of the same bytes put in its place, other bytes do not, and a deleted file
// is gone.
TEST(CheckFile, FollowsTheFileUnderThePath)
{
    ScratchFolder folder;
    const std::wstring path = folder.Write(L"a.txt", "one two");
    auto baseOf = [&](const std::string& bytes) {
        FileVersion base = {};
        base.Known = ReadFileIdentityAt(path.c_str(), &base);
        ContentHash hash;
        hash.Add(bytes.data(), bytes.size());
        base.Hash = hash.Value();
        return base;
    };
    const FileVersion base = baseOf("one two");
    FileVersion now = {};
    EXPECT_EQ(CheckFile(path.c_str(), base, &now), FileState::Same);

    FILETIME later = base.LastWrite;
    later.dwHighDateTime += 1;
    {
        HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        SetFileTime(file, nullptr, nullptr, &later);
        CloseHandle(file);
    }
    EXPECT_EQ(CheckFile(path.c_str(), base, &now), FileState::Same);
    EXPECT_EQ(CompareFileTime(&now.LastWrite, &later), 0) << "the touched file's identity is the one to adopt";
    EXPECT_EQ(now.Hash, base.Hash);

    WriteBytes(path, "one TWO");
    EXPECT_EQ(CheckFile(path.c_str(), base, &now), FileState::Changed);
    DeleteFileW(path.c_str());
    EXPECT_EQ(CheckFile(path.c_str(), base, &now), FileState::Gone);
}

}  // namespace
