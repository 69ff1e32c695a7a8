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
        int wholeWord = 0;
    } cases[] = {
        {L"note notes denote note_ note", L"note", L"x", 1, 2, L"x notes denote note_ x", 1},
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
        ReplaceRequest request = {c.source, nullptr, -7, c.find, c.replacement, c.caseSensitive, c.wholeWord};
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
    ReplaceRequest request = {source.c_str(), nullptr, 0, L"a", replacement.c_str(), 1, 0};
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
        ReplaceRequest request = {pair[0], nullptr, 0, pair[1], L"", 0, 0};
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

TEST_F(FindReplaceTest, FindNextSelectsEachMatchInTurnWrapsAndRefusesWithTheStoredOptions)
{
    OpenOver(L"one two one");
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"ONE");
    Click(IDC_FINDNEXT);
    EXPECT_EQ(Selection(edit()), Range(0, 3)) << "case-blind by default";
    Click(IDC_FINDNEXT);
    EXPECT_EQ(Selection(edit()), Range(8, 11));
    EXPECT_EQ(StatusPartText(window_, 0), L"");
    Click(IDC_FINDNEXT);
    EXPECT_EQ(Selection(edit()), Range(0, 3)) << "wraps around by default";
    EXPECT_EQ(StatusPartText(window_, 0), L"Passed the end of the document; continued from the top.");
    Click(IDC_UP);
    Click(IDC_FINDNEXT);
    EXPECT_EQ(Selection(edit()), Range(8, 11));
    EXPECT_EQ(StatusPartText(window_, 0), L"Passed the start of the document; continued from the bottom.");

    Click(IDC_WRAPAROUND);
    Click(IDC_WHOLEWORD);
    Click(IDC_CASESENSITIVE);
    SendMessageW(edit(), EM_SETSEL, 0, 0);
    SetFocus(edit());
    Click(IDC_FINDNEXT);
    EXPECT_TRUE(Refused(IDC_FINDTEXT)) << "nothing above the caret, and no wrap-around";
    EXPECT_EQ(Selection(edit()), Range(0, 0));
    EXPECT_EQ(StatusPartText(window_, 0), L"Cannot find \"ONE\".");

    // The clicks stored the boxes' states; the next dialog shows them.
    const wchar_t* const stored[][2] = {
        {L"CaseSensitive", L"1"}, {L"WholeWord", L"1"}, {L"WrapAround", L"0"}, {L"SearchUp", L"1"}};
    for (const auto& option : stored) {
        DWORD value = 99;
        EXPECT_TRUE(StoredOption(option[0], &value) && value == static_cast<DWORD>(_wtoi(option[1]))) << option[0];
    }
    OpenOver(L"");
    for (int id : {IDC_CASESENSITIVE, IDC_WHOLEWORD, IDC_UP})
        EXPECT_EQ(IsDlgButtonChecked(FindReplaceDialog, id), static_cast<UINT>(BST_CHECKED)) << id;
    for (int id : {IDC_WRAPAROUND, IDC_DOWN})
        EXPECT_EQ(IsDlgButtonChecked(FindReplaceDialog, id), static_cast<UINT>(BST_UNCHECKED)) << id;
    Click(IDC_CASESENSITIVE);
    DWORD value = 99;
    EXPECT_TRUE(StoredOption(L"CaseSensitive", &value) && value == 0);
}

TEST_F(FindReplaceTest, ANewDialogWrapsAroundAndSearchesDown)
{
    OpenOver(L"");
    EXPECT_EQ(IsDlgButtonChecked(FindReplaceDialog, IDC_WRAPAROUND), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(FindReplaceDialog, IDC_DOWN), static_cast<UINT>(BST_CHECKED));
}

// F3 and Shift+F3 go on from the dialog's last search once it is closed,
// and in the dialog search with what it shows.
TEST_F(FindReplaceTest, FindNextAndPreviousRepeatTheLastSearch)
{
    OpenOver(L"a note, a note");
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"note");
    Click(IDC_FINDNEXT);
    Click(IDCANCEL);
    HandleCommand(window_, MAKEWPARAM(IDM_FINDNEXT, 0), 0);
    EXPECT_EQ(Selection(edit()), Range(10, 14));
    HandleCommand(window_, MAKEWPARAM(IDM_FINDPREVIOUS, 0), 0);
    EXPECT_EQ(Selection(edit()), Range(2, 6));

    ShowWindow(FindReplaceDialog, SW_SHOW);
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"a");
    MSG key = {};
    key.hwnd = GetDlgItem(FindReplaceDialog, IDC_FINDTEXT);
    key.message = WM_KEYDOWN;
    key.wParam = VK_F3;
    EXPECT_TRUE(HandleFindKeyInDialog(&key));
    EXPECT_EQ(Selection(edit()), Range(8, 9));
    key.hwnd = edit();
    EXPECT_FALSE(HandleFindKeyInDialog(&key)) << "the document's own F3 goes to the accelerators";
}

TEST_F(FindReplaceTest, ReplaceTakesAnOccurrenceAndMovesOnOrOnlyMovesOn)
{
    OpenOver(L"note, denote, note, note", 0, 0);
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"note");
    SetDlgItemTextW(FindReplaceDialog, IDC_REPLACETEXT, L"memo");
    Click(IDC_WHOLEWORD);
    SendMessageW(edit(), EM_SETSEL, 1, 3);
    Click(IDC_REPLACE);
    EXPECT_EQ(EditText(), L"note, denote, note, note") << "not an occurrence: nothing replaced";
    EXPECT_EQ(Selection(edit()), Range(14, 18));
    Click(IDC_REPLACE);
    EXPECT_EQ(EditText(), L"note, denote, memo, note");
    EXPECT_EQ(Selection(edit()), Range(20, 24));
    Click(IDC_UP);
    Click(IDC_REPLACE);
    EXPECT_EQ(EditText(), L"note, denote, memo, memo");
    EXPECT_EQ(Selection(edit()), Range(0, 4)) << "up, the occurrence before the replaced one";
    EXPECT_EQ(WindowText(window_), L" Untitled* - Scrivlet");
}

TEST_F(FindReplaceTest, WithAnEmptyFindTextReplaceTakesTheSelectionOrTheCaretButNotTheVeryStart)
{
    OpenOver(L"one two one", 4, 7);
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"");
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

TEST(FindNotes, SayWhatWasNotFoundAndHowManyWereReplaced)
{
    const std::wstring fifty(50, L'y');
    struct Case {
        std::wstring find;
        int count;  // for the note of Replace all; -1 for the note of nothing found
        std::wstring note;
    } cases[] = {
        {L"note", -1, L"Cannot find \"note\"."},
        {fifty, -1, L"Cannot find \"" + fifty + L"\"."},
        {fifty + L"z", -1, L"Cannot find \"" + fifty + L"\x2026\"."},
        {std::wstring(49, L'y') + L"\xD83D\xDE00", -1, L"Cannot find \"" + std::wstring(49, L'y') + L"\x2026\"."},
        {L"", 1, L"Replaced 1 occurrence."},
        {L"", 2, L"Replaced 2 occurrences."},
        {L"", 500, L"Replaced 500 occurrences."},
    };
    for (const Case& c : cases) {
        wchar_t note[kFindNoteCapacity] = {};
        if (c.count < 0)
            FormatCannotFindNote(c.find.c_str(), note);
        else
            FormatReplacedNote(c.count, note);
        EXPECT_EQ(std::wstring(note), c.note);
    }
}

TEST_F(FindReplaceTest, ReplaceAllHandsOverTheNewTextMarksTheDocumentModifiedAndSaysHowMany)
{
    OpenOver(L"ABC abc");
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"abc");
    SetDlgItemTextW(FindReplaceDialog, IDC_REPLACETEXT, L"X");
    Click(IDC_REPLACEALL);
    EXPECT_EQ(EditTextAfterPump(), L"X X");
    EXPECT_EQ(WindowText(window_), L" Untitled* - Scrivlet");
    EXPECT_EQ(StatusPartText(window_, 0), L"Replaced 2 occurrences.");
    Click(IDC_REPLACEALL);
    EXPECT_EQ(StatusPartText(window_, 0), L"Cannot find \"abc\".");
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
