// The title and status texts, alone and as the real frame shows them.
#include "document/titlestatus.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "document/documentstate.h"
#include "res/resource.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/wait.h"

namespace {

std::wstring SizeText(int count)
{
    wchar_t text[kStatusTextCapacity];
    FormatSizeText(count, text);
    return text;
}

std::wstring PositionText(DWORD start, DWORD end, int line, DWORD lineStart)
{
    wchar_t text[kStatusTextCapacity];
    FormatPositionText(start, end, line, lineStart, text);
    return text;
}

std::wstring TitleText(const wchar_t* name, int modified)
{
    wchar_t text[1024];
    FormatTitleText(name, modified, text);
    return text;
}

TEST(StatusTextTest, SizeChangesUnitAtItsThresholds)
{
    EXPECT_EQ(SizeText(0), L"\t(Empty)");
    EXPECT_EQ(SizeText(1), L"\t1 char");
    EXPECT_EQ(SizeText(2), L"\t2 chars");
    EXPECT_EQ(SizeText(1024), L"\t1024 chars");
    EXPECT_EQ(SizeText(1025), L"\t1.00 KB");
    EXPECT_EQ(SizeText(1536), L"\t1.50 KB");
    EXPECT_EQ(SizeText(1048575), L"\t1024.00 KB");
    EXPECT_EQ(SizeText(1048576), L"\t1.00 MB");
    EXPECT_EQ(SizeText(5767168), L"\t5.50 MB");
}

TEST(StatusTextTest, PositionCountsFromOneUnlessThereIsASelection)
{
    EXPECT_EQ(PositionText(0, 0, 1, 0), L"\tLn: 1 / Col: 1");
    EXPECT_EQ(PositionText(10, 10, 3, 8), L"\tLn: 3 / Col: 3");
    EXPECT_EQ(PositionText(4, 5, 2, 4), L"\t[Selection]");
    EXPECT_EQ(PositionText(5, 4, 2, 4), L"\t[Selection]");
}

TEST(StatusTextTest, TitleNamesTheFileAndMarksChanges)
{
    EXPECT_EQ(TitleText(L"Untitled", 0), L" Untitled - Scrivlet");
    EXPECT_EQ(TitleText(L"Untitled", 1), L" Untitled* - Scrivlet");
    EXPECT_EQ(TitleText(L"notes.txt", 1), L" notes.txt* - Scrivlet");
}

class TitleStatusTest : public FrameTest {
protected:
    std::wstring Part(int part) const
    {
        wchar_t text[kStatusTextCapacity] = {};
        SendDlgItemMessageW(window_, IDC_STATUSBAR, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
    HICON PartIcon(int part) const
    {
        return reinterpret_cast<HICON>(SendDlgItemMessageW(window_, IDC_STATUSBAR, SB_GETICON, part, 0));
    }
};

TEST_F(TitleStatusTest, TitleIsLeftAloneForAnInvalidWindowOrAMissingPath)
{
    SetWindowTextW(window_, L"kept");
    int modified = 1;
    EXPECT_EQ(UpdateTitle(nullptr, L"C:\\a.txt", &modified), 0);
    EXPECT_EQ(UpdateTitle(window_, L"", &modified), 0);
    EXPECT_EQ(UpdateTitle(window_, nullptr, &modified), 0);
    EXPECT_EQ(UpdateTitle(window_, L"C:\\a.txt", nullptr), 0);
    EXPECT_EQ(WindowText(window_), L"kept");
    EXPECT_EQ(UpdateTitle(window_, L"C:\\dir\\a.txt", &modified), 1);
    EXPECT_EQ(WindowText(window_), L" a.txt* - Scrivlet");
}

TEST_F(TitleStatusTest, SizePartCountsTheCharactersOfTheControl)
{
    const struct {
        int count;
        const wchar_t* text;
    } cases[] = {{0, L"\t(Empty)"},    {1, L"\t1 char"},           {2, L"\t2 chars"},      {1024, L"\t1024 chars"},
                 {1025, L"\t1.00 KB"}, {1048575, L"\t1024.00 KB"}, {1048576, L"\t1.00 MB"}};
    for (const auto& test : cases) {
        std::wstring text(static_cast<size_t>(test.count), L'z');
        SetWindowTextW(edit(), text.c_str());
        UpdateStatusBar(window_, IDI_SAVED, IDI_UNSAVED);
        EXPECT_EQ(Part(2), test.text) << "for " << test.count << " characters";
    }
}

TEST_F(TitleStatusTest, CaretPartFollowsTheControlsSelection)
{
    SetWindowTextW(edit(), L"ab\r\ncd\r\nefg");
    SendMessageW(edit(), EM_SETSEL, 10, 10);
    UpdateStatusBar(window_, IDI_SAVED, IDI_UNSAVED);
    EXPECT_EQ(Part(1), L"\tLn: 3 / Col: 3");
    SendMessageW(edit(), EM_SETSEL, 2, 3);
    UpdateStatusBar(window_, IDI_SAVED, IDI_UNSAVED);
    EXPECT_EQ(Part(1), L"\t[Selection]");
}

TEST_F(TitleStatusTest, SavedAndEncodingPartsShowOnlyTheKnownValues)
{
    DocumentState.IsModified = 1;
    DocumentState.IsUnicode = 1;
    UpdateStatusBar(window_, IDI_SAVED, IDI_UNSAVED);
    EXPECT_EQ(Part(3), L"\t[UNSAVED]");
    EXPECT_EQ(PartIcon(3), IDI_UNSAVED);
    EXPECT_EQ(Part(4), L"\tUNICODE");

    DocumentState.IsModified = 2;
    DocumentState.IsUnicode = 2;
    UpdateStatusBar(window_, IDI_SAVED, IDI_UNSAVED);
    EXPECT_EQ(Part(3), L"\t[UNSAVED]");
    EXPECT_EQ(Part(4), L"\tUNICODE");

    DocumentState.IsModified = 0;
    DocumentState.IsUnicode = 0;
    UpdateStatusBar(window_, IDI_SAVED, IDI_UNSAVED);
    EXPECT_EQ(Part(3), L"\t[SAVED]");
    EXPECT_EQ(PartIcon(3), IDI_SAVED);
    EXPECT_EQ(Part(4), L"\tANSI");
}

}  // namespace
