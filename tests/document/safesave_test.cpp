// Storing a file's new contents: its long-path form, and every name the file
// has (hard and symbolic links, folders too deep for short names).
#include "document/safesave.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"

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
    } cases[] = {
        {"one name", Link::None, false},
        {"hard link", Link::Hard, false},
        {"symbolic link", Link::Symbolic, false},
        {"deep folder", Link::None, true},
        {"hard link in a deep folder", Link::Hard, true},
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
            saved = folder + L"\\b.txt";
            ASSERT_TRUE(MakeLink(c.link, original, saved));
            names.push_back(L"b.txt");
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

}  // namespace
