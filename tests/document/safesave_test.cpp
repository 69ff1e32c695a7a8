// Storing a file's new contents: its long-path form, and every name the file
// has (hard and symbolic links, folders too deep for short names).
#include "document/safesave.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tests/support/swapped_call.h"
#include "tests/support/test_thread.h"

namespace {

TEST(LongPathFormTest, TheFullPathBehindThePrefixThatLiftsTheLimit)
{
    const struct {
        const wchar_t* path;
        const wchar_t* longForm;
    } cases[] = {
        {L"C:\\docs\\notes.txt", L"\\\\?\\C:\\docs\\notes.txt"},
        {L"C:\\docs\\old\\..\\notes.txt", L"\\\\?\\C:\\docs\\notes.txt"},
        {L"\\\\server\\share\\notes.txt", L"\\\\?\\UNC\\server\\share\\notes.txt"},
        {L"\\\\?\\C:\\docs\\notes.txt", L"\\\\?\\C:\\docs\\notes.txt"},
    };
    for (const auto& c : cases) {
        wchar_t longForm[kLongPathCapacity] = {};
        ASSERT_TRUE(LongPathForm(c.path, longForm, kLongPathCapacity)) << c.path;
        EXPECT_STREQ(longForm, c.longForm);
    }
    wchar_t small[12];
    EXPECT_FALSE(LongPathForm(L"C:\\docs\\notes.txt", small, 12)) << "a form that does not fit is cut";
}

enum class Link { None, Hard, Symbolic };

// Wine makes no symbolic links of its own (CreateSymbolicLinkW does nothing)
// and deletes the file behind one instead of the link, but it runs the host's
// programs natively. Runs program with the host paths of the files and waits
// until done(); Wine gives no handle to wait on for a native program.
bool RunOnHost(const char* program, const std::vector<std::wstring>& files, const std::function<bool()>& done)
{
    auto toUnix = reinterpret_cast<char*(CDECL*)(const wchar_t*)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!toUnix)
        return false;
    std::string command = program;
    for (const std::wstring& file : files) {
        char* path = toUnix(file.c_str());
        command += std::string(" \"") + (path ? path : "") + "\"";
        HeapFree(GetProcessHeap(), 0, path);
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 250 && !done(); ++i)
        Sleep(20);
    return done();
}

bool MakeSymbolicLink(const std::wstring& target, const std::wstring& link)
{
    return RunOnHost("/bin/ln -s", {target, link}, [&] { return FileExists(link); });
}

bool RemoveSymbolicLink(const std::wstring& link)
{
    return RunOnHost("/bin/rm", {link}, [&] { return !FileExists(link); });
}

bool MakeLink(Link kind, const std::wstring& target, const std::wstring& link)
{
    if (kind == Link::Hard)
        return CreateHardLinkW(link.c_str(), target.c_str(), nullptr) != FALSE;
    return MakeSymbolicLink(target, link);
}

std::vector<std::wstring> FileNames(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((L"\\\\?\\" + folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool Store(const std::wstring& path, const std::string& bytes)
{
    const FilePiece piece = {bytes.data(), bytes.size()};
    return StoreFileContents(path.c_str(), &piece, 1);
}

TEST(StoreFileContentsTest, EveryNameOfTheFileSeesTheNewContents)
{
    const struct {
        const char* what;
        Link link;
        bool deep;  // a folder path longer than 246 characters leaves no room for short names beside it
        std::wstring linkName;
    } cases[] = {
        {"one name", Link::None, false, L""},
        {"hard link", Link::Hard, false, L"b.txt"},
        {"symbolic link", Link::Symbolic, false, L"b.txt"},
        {"deep folder", Link::None, true, L""},
        {"hard link in a deep folder", Link::Hard, true, L"b.txt"},
        {"hard link of the longest name, too long for its copy's", Link::Hard, false,
         std::wstring(251, L'b') + L".txt"},
    };
    ScratchFolder scratch;
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring folder = scratch.Path(L"case" + std::to_wstring(++row));
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        if (c.deep) {
            folder += L"\\" + std::wstring(250 - folder.size() - 1, L'd');
            ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr));
        }
        std::wstring original = folder + L"\\a.txt";
        std::wstring saved = original;
        WriteBytes(original, "old contents");
        std::vector<std::wstring> names = {L"a.txt"};
        if (c.link != Link::None) {
            saved = folder + L"\\" + c.linkName;
            ASSERT_TRUE(MakeLink(c.link, original, saved));
            names.push_back(c.linkName);
        }

        ASSERT_TRUE(Store(saved, "the new contents"));
        EXPECT_EQ(ReadBytes(original), "the new contents");
        EXPECT_EQ(ReadBytes(saved), "the new contents");
        EXPECT_EQ(FileNames(folder), names) << "a name is gone or a temporary file stayed";
        if (c.link != Link::None) {
            WriteBytes(original, "written later");
            EXPECT_EQ(ReadBytes(saved), "written later") << "the two names are no longer one file";
        }
        if (c.link == Link::Symbolic) {
            EXPECT_TRUE(RemoveSymbolicLink(saved));
        }
    }
}

TEST(StoreFileContentsTest, AFailedWriteLeavesTheOldContentsUnderEveryName)
{
    // The new contents run into memory that cannot be read once their first
    // megabytes are in the file.
    const std::string start(3u << 20, 'n');
    const SIZE_T unreadableSize = 64u << 10;
    void* unreadable = VirtualAlloc(nullptr, unreadableSize, MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(unreadable, nullptr);
    const FilePiece pieces[] = {{start.data(), start.size()}, {unreadable, unreadableSize}};
    for (Link link : {Link::None, Link::Hard}) {
        SCOPED_TRACE(link == Link::Hard ? "hard link, rewritten in place" : "one name, replaced by a rename");
        ScratchFolder scratch;
        std::wstring original = scratch.Write(L"a.txt", "the old contents");
        std::wstring saved = original;
        std::vector<std::wstring> names = {L"a.txt"};
        if (link == Link::Hard) {
            saved = scratch.Path(L"b.txt");
            ASSERT_TRUE(MakeLink(link, original, saved));
            names.push_back(L"b.txt");
        }
        EXPECT_FALSE(StoreFileContents(saved.c_str(), pieces, 2));
        EXPECT_EQ(ReadBytes(original), "the old contents");
        EXPECT_EQ(ReadBytes(saved), "the old contents");
        EXPECT_EQ(FileNames(scratch.path()), names) << "the copy or the new file was left behind";
    }
    VirtualFree(unreadable, 0, MEM_RELEASE);
}

// Arranges the files as Windows documents for a ReplaceFileW that stops
// with stopError, which Wine's never does, and reports that error.
DWORD stopError;
BOOL WINAPI ReplaceThatStops(LPCWSTR replaced, LPCWSTR, LPCWSTR backup, DWORD, LPVOID, LPVOID)
{
    // The old file is under the backup name, the new one still under its own.
    if (stopError == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 &&
        !(backup && MoveFileExW(replaced, backup, MOVEFILE_REPLACE_EXISTING)))
        ADD_FAILURE() << "the old file could not be moved to the backup name";
    SetLastError(stopError);
    return FALSE;
}

TEST(StoreFileContentsTest, AReplaceThatStopsHalfwayLeavesTheNameWithTheOldOrTheNewContents)
{
    const struct {
        DWORD error;
        bool stored;
        const char* contents;
    } cases[] = {
        {ERROR_UNABLE_TO_REMOVE_REPLACED, false, "old contents"},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT, false, "old contents"},
        {ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, true, "new contents"},
    };
    SwappedCall<decltype(ReplaceFileCall)> stopping(ReplaceFileCall, ReplaceThatStops);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        ScratchFolder scratch;
        const std::wstring path = scratch.Write(L"a.txt", "old contents");
        stopError = c.error;
        EXPECT_EQ(Store(path, "new contents"), c.stored);
        EXPECT_EQ(ReadBytes(path), c.contents);
        EXPECT_EQ(FileNames(scratch.path()), std::vector<std::wstring>{L"a.txt"}) << "a new or old file stayed";
    }
}

TEST(StoreFileContentsTest, ATargetHeldOpenForAMomentIsSavedAndOneHeldOnKeepsItsContents)
{
    const struct {
        const char* what;
        bool hardLink;
        bool releasedSoon;  // else held until the store has given up
    } cases[] = {
        {"one name, released after 300 ms", false, true},
        {"hard link, released after 300 ms", true, true},
        {"one name, held on", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder scratch;
        const std::wstring path = scratch.Write(L"a.txt", "old contents");
        std::vector<std::wstring> names = {L"a.txt"};
        if (c.hardLink) {
            ASSERT_TRUE(MakeLink(Link::Hard, path, scratch.Path(L"b.txt")));
            names.push_back(L"b.txt");
        }
        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        bool stored;
        if (c.releasedSoon) {
            TestThread releaser([&] {
                Sleep(300);
                CloseHandle(held);
            });
            stored = Store(path, "new contents");
        } else {
            stored = Store(path, "new contents");
            CloseHandle(held);
        }
        EXPECT_EQ(stored, c.releasedSoon);
        EXPECT_EQ(ReadBytes(path), c.releasedSoon ? "new contents" : "old contents");
        EXPECT_EQ(FileNames(scratch.path()), names);
    }
}

// What a scanner does to a file that was just made or moved aside: opens it
// without sharing for a moment. The stand-ins below hold the file the store
// deletes next and let it go 300 ms later.
std::unique_ptr<TestThread> releaser;

void HoldForAMoment(const wchar_t* path)
{
    HANDLE held = CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "the file to hold is not there";
        return;
    }
    releaser = std::make_unique<TestThread>([held] {
        Sleep(300);
        CloseHandle(held);
    });
}

BOOL WINAPI ReplaceAndHoldTheOldFile(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID, LPVOID)
{
    const BOOL done = ReplaceFileW(replaced, replacement, backup, flags, nullptr, nullptr);
    HoldForAMoment(backup);
    return done;
}

BOOL WINAPI HoldTheNewFileAndFail(LPCWSTR, LPCWSTR replacement, LPCWSTR, DWORD, LPVOID, LPVOID)
{
    HoldForAMoment(replacement);
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

TEST(StoreFileContentsTest, FilesHeldForAMomentAreStillCleanedUp)
{
    const struct {
        const char* what;
        decltype(ReplaceFileCall) replace;
        bool stored;
        const char* contents;
    } cases[] = {
        {"the old file under its reserved name, after the replace", ReplaceAndHoldTheOldFile, true, "new contents"},
        {"the new file, after a failed replace", HoldTheNewFileAndFail, false, "old contents"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder scratch;
        const std::wstring path = scratch.Write(L"a.txt", "old contents");
        {
            SwappedCall<decltype(ReplaceFileCall)> holding(ReplaceFileCall, c.replace);
            EXPECT_EQ(Store(path, "new contents"), c.stored);
        }
        releaser.reset();
        EXPECT_EQ(ReadBytes(path), c.contents);
        EXPECT_EQ(FileNames(scratch.path()), std::vector<std::wstring>{L"a.txt"}) << "a held file stayed";
    }
}

std::wstring DaclOf(const std::wstring& path)
{
    BYTE descriptor[4096];
    DWORD needed = 0;
    wchar_t* text = nullptr;
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor, sizeof(descriptor), &needed) ||
        !ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                              &text, nullptr))
        return L"(unreadable)";
    std::wstring dacl = text;
    LocalFree(text);
    return dacl;
}

bool SetDacl(const std::wstring& path, const std::wstring& dacl)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(dacl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return false;
    const bool set = SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor) != FALSE;
    LocalFree(descriptor);
    return set;
}

std::wstring UserSid()
{
    HANDLE token = nullptr;
    BYTE user[256];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return L"";
    const bool found = GetTokenInformation(token, TokenUser, user, sizeof(user), &size) &&
                       ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid);
    CloseHandle(token);
    if (!found)
        return L"";
    std::wstring text = sid;
    LocalFree(sid);
    return text;
}

// Wine keeps of a DACL what the host's permission bits can say: these two
// differ from a new file's in them.
TEST(StoreFileContentsTest, TheFilesPermissionsStayAsTheyWere)
{
    const std::wstring dacls[] = {L"D:P(A;;FA;;;WD)", L"D:P(A;;FA;;;" + UserSid() + L")"};
    ScratchFolder scratch;
    const std::wstring fresh = DaclOf(scratch.Write(L"fresh.txt", ""));
    const std::wstring path = scratch.Path(L"a.txt");
    for (const std::wstring& dacl : dacls) {
        SCOPED_TRACE(std::string(dacl.begin(), dacl.end()));
        WriteBytes(path, "old contents");
        ASSERT_TRUE(SetDacl(path, dacl));
        const std::wstring before = DaclOf(path);
        ASSERT_NE(before, fresh) << "the file's permissions are a new file's";
        ASSERT_TRUE(Store(path, "new contents"));
        EXPECT_EQ(ReadBytes(path), "new contents");
        EXPECT_EQ(DaclOf(path), before);
    }
}

TEST(StoreFileContentsTest, TheFilesOtherStreamsStay)
{
    ScratchFolder scratch;
    const std::wstring path = scratch.Write(L"a.txt", "old contents");
    WriteBytes(path + L":notes", "a stream of its own");
    const std::vector<std::wstring> names = FileNames(scratch.path());
    if (names.size() > 1)
        GTEST_SKIP() << "the file system keeps no streams: \"a.txt:notes\" became a file of its own (Wine)";
    ASSERT_TRUE(Store(path, "new contents"));
    EXPECT_EQ(ReadBytes(path), "new contents");
    EXPECT_EQ(ReadBytes(path + L":notes"), "a stream of its own");
}

}  // namespace
