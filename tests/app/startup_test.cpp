// The start-up decisions that need no window: the platform check and the
// command-line path.
#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/scratch_folder.h"

namespace {

TEST(PlatformCheck, RefusesOnlyNtFamilyVersionsBeforeWindows2000)
{
    EXPECT_FALSE(IsPlatformSupported(0x05650004));  // NT 4.0 as Wine reports it
    EXPECT_FALSE(IsPlatformSupported(0x00000003));  // NT 3.x
    EXPECT_TRUE(IsPlatformSupported(0x08930005));   // Windows 2000
    EXPECT_TRUE(IsPlatformSupported(0x1DB10106));   // a later NT version
    // Bit 31 set: the check lets it through whatever the major version says.
    EXPECT_TRUE(IsPlatformSupported(0xC0000A04));
    EXPECT_TRUE(IsPlatformSupported(0x80000003));
}

TEST(CommandLinePath, EveryFormOfAnExistingFileGivesItsWholeLongPath)
{
    ScratchFolder folder;
    std::wstring path = folder.Write(L"a long enough name.txt", "x");
    wchar_t shortPath[MAX_PATH];
    ASSERT_GT(GetShortPathNameW(path.c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_TRUE(CreateDirectoryW(folder.Path(L"sub").c_str(), nullptr));
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(folder.path().c_str()));
    // Short, relative to the current folder, and relative through a detour.
    const std::wstring forms[] = {shortPath, L"a long enough name.txt", L".\\sub\\..\\a long enough name.txt",
                                  std::wstring(wcsrchr(shortPath, L'\\') + 1)};
    for (const std::wstring& form : forms) {
        wchar_t longPath[MAX_PATH];
        EXPECT_TRUE(LongPathForOpen(form.c_str(), longPath)) << form.c_str();
        EXPECT_EQ(std::wstring(longPath), path) << form.c_str();
    }
    SetCurrentDirectoryW(previous);
    RemoveDirectoryW(folder.Path(L"sub").c_str());
}

TEST(CommandLinePath, MissingFileGivesAnEmptyPath)
{
    ScratchFolder folder;
    wchar_t longPath[MAX_PATH];
    longPath[0] = L'x';
    EXPECT_FALSE(LongPathForOpen(folder.Path(L"absent.txt").c_str(), longPath));
    EXPECT_EQ(longPath[0], L'\0');
}

TEST(CommandLinePath, LongFormBeyondTheLimitIsRefusedNotCut)
{
    ScratchFolder folder;
    std::wstring deep = folder.path() + L"\\" + std::wstring(150, L'd');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    std::wstring path = deep + L"\\" + std::wstring(120, L'n');
    WriteBytes(L"\\\\?\\" + path, "x");
    wchar_t longPath[MAX_PATH];
    EXPECT_FALSE(LongPathForOpen(path.c_str(), longPath));
    EXPECT_EQ(longPath[0], L'\0');
    DeleteFileW((L"\\\\?\\" + path).c_str());
    RemoveDirectoryW((L"\\\\?\\" + deep).c_str());
}

}  // namespace
