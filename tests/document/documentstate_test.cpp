// The path helpers of the document state.
#include "document/documentstate.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring NameOf(const wchar_t* path)
{
    wchar_t name[kPathCapacity] = L"untouched";
    EXPECT_EQ(FileNameFromPath(path, name, kPathCapacity), 0) << "for " << path;
    return name;
}

TEST(FileNameFromPathTest, NameIsTheTextAfterTheLastBackslash)
{
    EXPECT_EQ(NameOf(L"D:\\docs\\b.txt"), L"b.txt");
    EXPECT_EQ(NameOf(L"\\\\server\\share\\dir\\c.txt"), L"c.txt");
    EXPECT_EQ(NameOf(L"a\\b"), L"b");
    EXPECT_EQ(NameOf(L"C:\\folder\\"), L"");
}

TEST(FileNameFromPathTest, PathWithoutABackslashPastItsFirstCharacterIsTheName)
{
    EXPECT_EQ(NameOf(L"name.txt"), L"name.txt");
    EXPECT_EQ(NameOf(L"\\x.txt"), L"\\x.txt");
    EXPECT_EQ(NameOf(L"\\"), L"\\");
    EXPECT_EQ(NameOf(L"x"), L"x");
}

TEST(FileNameFromPathTest, MissingArgumentsAreRefusedAndNothingIsWritten)
{
    wchar_t name[kPathCapacity] = L"untouched";
    EXPECT_EQ(FileNameFromPath(nullptr, name, kPathCapacity), -1);
    EXPECT_EQ(FileNameFromPath(L"", name, kPathCapacity), -1);
    EXPECT_EQ(FileNameFromPath(L"C:\\a.txt", name, 0), -1);
    EXPECT_EQ(FileNameFromPath(L"C:\\a.txt", nullptr, kPathCapacity), -1);
    EXPECT_STREQ(name, L"untouched");
}

TEST(CopyPathTest, CopiesOnlyAPresentNonEmptySource)
{
    wchar_t destination[kPathCapacity] = L"before";
    EXPECT_EQ(CopyPath(nullptr, destination), 0);
    EXPECT_EQ(CopyPath(L"", destination), 0);
    EXPECT_STREQ(destination, L"before");
    std::wstring longest(MAX_PATH, L'p');
    EXPECT_EQ(CopyPath(longest.c_str(), destination), 1);
    EXPECT_EQ(destination, longest);
}

}  // namespace
