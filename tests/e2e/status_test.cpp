// What the title bar and the status bar show of the document.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/e2e/program_test.h"

namespace {

class StatusTest : public ProgramTest {};

TEST_F(StatusTest, NewDocumentAndItsFirstChange)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled - Scrivlet"));
    ExpectStatus(1, L"\tLn: 1 / Col: 1");
    ExpectStatus(2, L"\t(Empty)");
    ExpectStatus(3, L"\t[SAVED]");
    ExpectStatus(4, L"\tANSI");
    program().Type(L"a");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled* - Scrivlet"));
    ExpectStatus(3, L"\t[UNSAVED]");
    ExpectStatus(2, L"\t1 char");
    ExpectStatus(1, L"\tLn: 1 / Col: 2");
}

TEST_F(StatusTest, CaretPositionCountsFromOneAndAnySelectionHidesIt)
{
    ASSERT_NO_FATAL_FAILURE(Start(folder_.Write(L"lines.txt", "ab\r\ncd\r\nefg")));
    ExpectStatus(2, L"\t11 chars");
    ExpectStatus(1, L"\tLn: 1 / Col: 1");
    program().Select(10, 10);  // third line, after two characters
    ExpectStatus(1, L"\tLn: 3 / Col: 3");
    program().Select(4, 5);
    ExpectStatus(1, L"\t[Selection]");
    program().Select(11, 11);
    ExpectStatus(1, L"\tLn: 3 / Col: 4");
}

TEST_F(StatusTest, SizeCountsCharactersNotBytes)
{
    // 2048 bytes: the mark and 1023 UTF-16 code units.
    std::string bytes = "\xFF\xFE";
    for (int i = 0; i < 1023; ++i)
        bytes += std::string("\x3A\x04", 2);  // CYRILLIC SMALL LETTER ER
    ASSERT_NO_FATAL_FAILURE(Start(folder_.Write(L"wide.txt", bytes)));
    ExpectStatus(2, L"\t1023 chars");
    ExpectStatus(4, L"\tUNICODE");
}

TEST_F(StatusTest, LargeSizesAreShownInKilobytesAndMegabytes)
{
    std::wstring kilo = folder_.Write(L"kilo.txt", std::string(1025, 'k'));
    std::wstring mega = folder_.Write(L"mega.txt", std::string(1048576, 'm'));
    ASSERT_NO_FATAL_FAILURE(Start(kilo));
    ExpectStatus(2, L"\t1.00 KB");
    ASSERT_TRUE(program().DropFiles({mega}));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" mega.txt - Scrivlet"));
    ExpectStatus(2, L"\t1.00 MB");
}

}  // namespace
