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
    DocumentState.Format.Encoding = kUtf16LeText;
    DocumentState.Format.HasMark = 1;
    UpdateStatusBar(window_, IDI_SAVED, IDI_UNSAVED);
    EXPECT_EQ(Part(3), L"\t[UNSAVED]");
    EXPECT_EQ(PartIcon(3), IDI_UNSAVED);
    EXPECT_EQ(Part(4), L"\tUNICODE");

    DocumentState.IsModified = 2;
    DocumentState.Format.Encoding = static_cast<TextEncoding>(9);  // no encoding the program knows
    UpdateStatusBar(window_, IDI_SAVED, IDI_UNSAVED);
    EXPECT_EQ(Part(3), L"\t[UNSAVED]");
    EXPECT_EQ(Part(4), L"\tUNICODE");

    DocumentState.IsModified = 0;
    DocumentState.Format.Encoding = kAnsiText;
    UpdateStatusBar(window_, IDI_SAVED, IDI_UNSAVED);
    EXPECT_EQ(Part(3), L"\t[SAVED]");
    EXPECT_EQ(PartIcon(3), IDI_SAVED);
    EXPECT_EQ(Part(4), L"\tANSI");
}

// Every name fits its part in the status bar's own font.
TEST_F(TitleStatusTest, EncodingPartNamesEachFormatWithinItsWidth)
{
    struct Case {
        TextEncoding encoding;
        int mark, lineEnds;
        const wchar_t* text;
    } cases[] = {
        {kAnsiText, 0, kCrLfLineEnds, L"\tANSI"},           {kUtf16LeText, 1, kCrLfLineEnds, L"\tUNICODE"},
        {kUtf16LeText, 0, kCrLfLineEnds, L"\tUTF-16LE"},    {kUtf16LeText, 1, kCrLineEnds, L"\tUNICODE CR"},
        {kUtf16BeText, 1, kLfLineEnds, L"\tUNICODE BE LF"}, {kUtf16BeText, 0, kCrLineEnds, L"\tUTF-16BE CR"},
        {kUtf8Text, 0, kCrLfLineEnds, L"\tUTF-8"},          {kUtf8Text, 1, kLfLineEnds, L"\tUTF-8 BOM LF"},
    };
    HWND status = GetDlgItem(window_, IDC_STATUSBAR);
    RECT part;
    ASSERT_TRUE(SendMessageW(status, SB_GETRECT, 4, reinterpret_cast<LPARAM>(&part)));
    HDC dc = GetDC(status);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0)));
    for (const Case& c : cases) {
        DocumentState.Format = PlainTextFormat();
        DocumentState.Format.Encoding = c.encoding;
        DocumentState.Format.HasMark = c.mark;
        DocumentState.Format.LineEnds = c.lineEnds;
        UpdateStatusBar(window_, IDI_SAVED, IDI_UNSAVED);
        EXPECT_EQ(Part(4), c.text);
        SIZE size;
        GetTextExtentPoint32W(dc, c.text + 1, static_cast<int>(wcslen(c.text + 1)), &size);
        // The part's borders and the status bar's own margin on each side.
        EXPECT_LE(size.cx + 2 * GetSystemMetrics(SM_CXEDGE) + 6, part.right - part.left) << "for " << c.text + 1;
    }
    SelectObject(dc, oldFont);
    ReleaseDC(status, dc);
}

}  // namespace
