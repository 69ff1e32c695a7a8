// Find and replace: the text rebuild on its own, and the dialog in the real frame.
#include "tools/findreplace.h"

#include <shlwapi.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/commands.h"
#include "document/documentstate.h"
#include "res/resource.h"
#include "tests/app/frame_checks.h"
#include "tests/support/address_space.h"
#include "tests/support/boxes_in_thread.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/registry_reset.h"
#include "tests/support/wait.h"

namespace {

TEST(BuildReplacedText, ReplacesEachOccurrenceOnceAndRefusesUnusableInput)
{
    struct Case {
        const wchar_t *source, *find, *replacement;
        int caseSensitive, count;
        const wchar_t* result;
    } cases[] = {
        {L"aaaa a aaa", L"aa", L"b", 1, 3, L"bb a ba"},  // overlapping: left to right
        {L"abab", L"ab", L"x", 1, 2, L"xx"},             // adjacent
        {L"xx", L"x", L"", 1, 2, L""},
        {L"aba", L"a", L"aa", 1, 2, L"aabaa"},  // inserted text is not searched again
        {L"ABC abc", L"abc", L"X", 0, 2, L"X X"},
        {L"ABC abc", L"abc", L"X", 1, 1, L"ABC X"},
        {L"\x00C4pfel", L"\x00E4", L"ae", 0, 1, L"aepfel"},
        {L"one", L"one two", L"x", 0, 0, nullptr},
        {L"", L"a", L"b", 1, -1, nullptr},
        {L"abc", L"", L"b", 1, -1, nullptr},
        {L"abc", nullptr, L"b", 1, -1, nullptr},
        {L"abc", L"a", nullptr, 1, -1, nullptr},
        {nullptr, L"a", L"b", 1, -1, nullptr},
    };
    for (const Case& c : cases) {
        ReplaceRequest request = {c.source, nullptr, -7, c.find, c.replacement, c.caseSensitive};
        EXPECT_EQ(BuildReplacedText(&request), c.count) << "find " << (c.find ? c.find : L"null");
        EXPECT_EQ(request.ResultText ? std::wstring(request.ResultText) : L"none", c.result ? c.result : L"none");
        EXPECT_EQ(request.ResultLength, c.result ? static_cast<int>(wcslen(c.result)) : -7);
        free(request.ResultText);
    }
    EXPECT_EQ(BuildReplacedText(nullptr), -1);
}

TEST(BuildReplacedText, RefusesAResultTooLongForItsLength)
{
    // 2^20 matches, each grown to 4097 characters: 2^32 + 2^20 characters,
    // which 32-bit arithmetic would wrap round to a mere 2^20.
    std::wstring source(1 << 20, L'a'), replacement(4097, L'b');
    ReplaceRequest request = {source.c_str(), nullptr, 0, L"a", replacement.c_str(), 1};
    EXPECT_EQ(BuildReplacedText(&request), -1);
    EXPECT_EQ(request.ResultText, nullptr);
}

// Case-blind matching must find exactly what the system's StrStrIW finds,
// including letters outside ASCII and a needle longer than what is left.
TEST(BuildReplacedText, CaseBlindMatchesAreTheOnesStrStrIWFinds)
{
    const wchar_t* const pairs[][2] = {
        {L"Stra\x00DF"
         L"e STRASSE strasse",
         L"stra\x00DF"
         L"e"},
        {L"Stra\x00DF"
         L"e STRASSE strasse",
         L"SS"},
        {L"\x03A3\x03C3\x03C2 \x03C3", L"\x03C3"},
        {L"\x0130 i I \x0131", L"i"},
        {L"\x212A K k", L"k"},
        {L"\x00C4rger \x00E4RGER", L"\x00E4rger"},
        {L"abcab", L"cabx"},
    };
    for (const auto& pair : pairs) {
        int expected = 0;
        for (const wchar_t* at = pair[0]; (at = StrStrIW(at, pair[1])) != nullptr; at += wcslen(pair[1]))
            ++expected;
        ReplaceRequest request = {pair[0], nullptr, 0, pair[1], L"", 0};
        EXPECT_EQ(BuildReplacedText(&request), expected) << "finding " << testing::PrintToString(pair[1]);
        free(request.ResultText);
    }
}

using Range = std::pair<DWORD, DWORD>;

Range Selection(HWND control)
{
    DWORD start = 0, end = 0;
    SendMessageW(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

class FindReplaceTest : public FrameTest {
protected:
    // Opens a dialog over the document text, unmodified, with [start, end) selected.
    HWND OpenOver(const wchar_t* text, DWORD start = 0, DWORD end = 0)
    {
        SetWindowTextW(edit(), text);
        SendMessageW(edit(), EM_SETSEL, start, end);
        PumpMessages();
        DocumentState.IsModified = 0;
        HandleCommand(window_, MAKEWPARAM(IDM_FINDREPLACE, 0), 0);
        return FindReplaceDialog;
    }
    void Click(int id)
    {
        SendDlgItemMessageW(FindReplaceDialog, id, BM_CLICK, 0, 0);
        PumpMessages();
    }
    // What comes with the beep of a refused request: the box to fix has the
    // focus and all of its text selected.
    bool Refused(int boxId)
    {
        HWND box = GetDlgItem(FindReplaceDialog, boxId);
        return GetFocus() == box && Selection(box) == Range(0, GetWindowTextLengthW(box));
    }
};

TEST_F(FindReplaceTest, FindNextSelectsEachMatchInTurnAndRefusesAtTheEndWithTheStoredCaseRule)
{
    OpenOver(L"one two one");
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"ONE");
    Click(IDC_FINDNEXT);
    EXPECT_EQ(Selection(edit()), Range(0, 3)) << "case-blind by default";
    Click(IDC_FINDNEXT);
    EXPECT_EQ(Selection(edit()), Range(8, 11));
    Click(IDC_FINDNEXT);
    EXPECT_TRUE(Refused(IDC_FINDTEXT)) << "no wrap-around";
    EXPECT_EQ(Selection(edit()), Range(8, 11));

    SendMessageW(edit(), EM_SETSEL, 0, 0);
    SetFocus(edit());
    Click(IDC_CASESENSITIVE);
    Click(IDC_FINDNEXT);
    EXPECT_TRUE(Refused(IDC_FINDTEXT)) << "'ONE' does not match 'one' with case";
    EXPECT_EQ(Selection(edit()), Range(0, 0));

    // The click stored the box's state; the next dialog shows it.
    DWORD stored = 99;
    EXPECT_TRUE(StoredOption(L"CaseSensitive", &stored) && stored == 1);
    OpenOver(L"");
    EXPECT_EQ(IsDlgButtonChecked(FindReplaceDialog, IDC_CASESENSITIVE), static_cast<UINT>(BST_CHECKED));
    Click(IDC_CASESENSITIVE);
    EXPECT_TRUE(StoredOption(L"CaseSensitive", &stored) && stored == 0);
}

TEST_F(FindReplaceTest, ReplaceTakesTheSelectionOrTheCaretButNotTheVeryStart)
{
    OpenOver(L"one two one", 4, 7);
    SetDlgItemTextW(FindReplaceDialog, IDC_REPLACETEXT, L"2");
    Click(IDC_REPLACE);
    EXPECT_EQ(EditText(), L"one 2 one");
    EXPECT_EQ(WindowText(window_), L" Untitled* - Scrivlet");
    SendMessageW(edit(), EM_SETSEL, 3, 3);
    Click(IDC_REPLACE);
    EXPECT_EQ(EditText(), L"one2 2 one");
    SendMessageW(edit(), EM_SETSEL, 0, 0);
    Click(IDC_REPLACE);
    EXPECT_EQ(EditText(), L"one2 2 one");
    EXPECT_TRUE(Refused(IDC_REPLACETEXT));
}

TEST_F(FindReplaceTest, ReplaceAllHandsOverTheNewTextAndMarksTheDocumentModified)
{
    OpenOver(L"ABC abc");
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"abc");
    SetDlgItemTextW(FindReplaceDialog, IDC_REPLACETEXT, L"X");
    Click(IDC_REPLACEALL);
    EXPECT_EQ(EditTextAfterPump(), L"X X");
    EXPECT_EQ(WindowText(window_), L" Untitled* - Scrivlet");
}

TEST_F(FindReplaceTest, WithTheAddressSpaceTakenReplaceAllChangesNothingAndWorksOnceMemoryIsBack)
{
    std::wstring text;
    while (text.size() < 1500000)
        text += L"one line of the document\r\n";
    OpenOver(L"");
    GiveText(window_, text);
    DocumentState.IsModified = 0;
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"line");
    SetDlgItemTextW(FindReplaceDialog, IDC_REPLACETEXT, L"row");
    {
        AddressSpaceTaken taken;
        void* probe = malloc(text.size() * sizeof(wchar_t));
        ASSERT_EQ(probe, nullptr) << "the address space could not be exhausted";
        Click(IDC_REPLACEALL);
    }
    EXPECT_TRUE(EditTextAfterPump() == text) << "the document changed";
    EXPECT_EQ(WindowText(window_), L" Untitled - Scrivlet");
    Click(IDC_REPLACEALL);
    std::wstring replaced = EditTextAfterPump();
    EXPECT_EQ(replaced.find(L"line"), std::wstring::npos);
    EXPECT_EQ(replaced.substr(0, 23), L"one row of the document");
}

// The first case-blind search builds a table of the platform's letter classes;
// without the memory for it the search is refused or still finds, and the
// program goes on.
TEST_F(FindReplaceTest, WithTheAddressSpaceTakenAFirstCaseBlindFindNextFindsOrReportsAndTheProgramStays)
{
    OpenOver(L"one two ONE");
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"one");
    std::wstring box = LastBoxWithAddressSpaceTaken([&] { Click(IDC_FINDNEXT); });
    Range first = Selection(edit());
    if (box.empty())
        EXPECT_EQ(first, Range(0, 3));
    else
        EXPECT_EQ(box, L"Scrivlet v2.0 - Error: Not enough memory to finish that command!");
    Click(IDC_FINDNEXT);
    EXPECT_EQ(Selection(edit()), first == Range(0, 3) ? Range(8, 11) : Range(0, 3)) << "memory is back";
}

TEST_F(FindReplaceTest, FindBoxIsSeededWithTheSelectionCutToFit)
{
    EXPECT_EQ(WindowText(GetDlgItem(OpenOver(L"say hello", 4, 9), IDC_FINDTEXT)), L"hello");
    std::wstring longText(3000, L'x');
    EXPECT_EQ(WindowText(GetDlgItem(OpenOver(longText.c_str(), 0, 3000), IDC_FINDTEXT)), std::wstring(1023, L'x'));
}

}  // namespace
