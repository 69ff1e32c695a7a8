// Typed text survives a kill and the end of the session: the program that
// starts next offers it, and restores what the user takes.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "recovery/recoverystore.h"
#include "res/resource.h"
#include "tests/e2e/program_test.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wait.h"

namespace {

const wchar_t kOfferStart[] = L"Scrivlet ended without saving the changes to ";

class RecoveryTest : public ProgramTest {
protected:
    // A UTF-8 file with LF line ends, so that the format's return shows.
    std::wstring StartOnTypedFile()
    {
        const std::wstring path = folder_.Write(L"notes.txt", "caf\xC3\xA9\nline\n");
        Start(path);
        program().Type(L"x");
        return path;
    }
    // Waits until the copy is whole, renamed from the name it was written
    // under.
    static void WaitForCopy()
    {
        const std::wstring ending = L".recovery";
        EXPECT_TRUE(WaitUntil(
            [&] {
                const std::vector<std::wstring> names = RecoveryStoreNames();
                return names.size() == 1 && names[0].size() > ending.size() &&
                       names[0].compare(names[0].size() - ending.size(), ending.size(), ending) == 0;
            },
            10000))
            << "no recovery copy";
    }
    // Ends the program as Task Manager or a crash does.
    void Kill() { program_.reset(); }
    // Starts the program again and answers the offer of the copy.
    void StartAndAnswerOffer(const std::wstring& about, int answer)
    {
        ASSERT_NO_FATAL_FAILURE(Start());
        HWND box = program().WaitForDialogTitled(kPromptCaption);
        ASSERT_NE(box, nullptr) << "the unsaved text was not offered";
        EXPECT_EQ(MessageBoxText(box).substr(0, wcslen(kOfferStart) + about.size()), kOfferStart + about);
        PressDialogButton(box, answer);
        ASSERT_TRUE(WaitUntilGone(box));
    }
    void ExpectRestored(const std::wstring& path)
    {
        ExpectTitle(L" notes.txt* - Scrivlet");
        EXPECT_EQ(program().EditText(), L"xcaf\u00E9\r\nline\r\n");
        ExpectStatus(4, L"\tUTF-8 LF");
        EXPECT_EQ(ReadBytes(path), "caf\xC3\xA9\nline\n") << "the file was touched before a save";
    }
};

struct OfferCase {
    const char* name;
    int answer;
    bool restored;
    size_t copiesLeft;
};

class RecoveryOfferTest : public RecoveryTest, public testing::WithParamInterface<OfferCase> {};

TEST_P(RecoveryOfferTest, TextTypedBeforeAKillIsOfferedAtTheNextStart)
{
    const OfferCase& c = GetParam();
    const std::wstring path = StartOnTypedFile();
    ASSERT_NO_FATAL_FAILURE(WaitForCopy());
    Kill();
    ASSERT_NO_FATAL_FAILURE(StartAndAnswerOffer(L"'" + path + L"'", c.answer));
    if (c.restored) {
        ExpectRestored(path);
    } else {
        ExpectTitle(L" Untitled - Scrivlet");
        EXPECT_EQ(program().EditText(), L"");
    }
    // A restored copy is written again under this program's name at once.
    EXPECT_TRUE(WaitUntil([&] { return RecoveryStoreNames().size() == c.copiesLeft; }, 5000))
        << RecoveryStoreNames().size() << " files in the store";
    if (c.answer == IDCANCEL) {
        // Kept for a later start, which offers it again.
        Kill();
        ASSERT_NO_FATAL_FAILURE(StartAndAnswerOffer(L"'", IDNO));
        EXPECT_TRUE(RecoveryStoreNames().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, RecoveryOfferTest,
                         testing::Values(OfferCase{"YesRestoresItWithItsPathAndFormat", IDYES, true, 1},
                                         OfferCase{"NoDiscardsIt", IDNO, false, 0},
                                         OfferCase{"CancelKeepsItForALaterStart", IDCANCEL, false, 1}),
                         [](const testing::TestParamInfo<OfferCase>& info) { return std::string(info.param.name); });

TEST_F(RecoveryTest, AWriterKilledWhileWritingLeavesItsLastGoodCopyAndNothingElse)
{
    const std::wstring path = StartOnTypedFile();
    ASSERT_NO_FATAL_FAILURE(WaitForCopy());
    const std::wstring copy = RecoveryStoreNames()[0];
    Kill();
    // What a kill in the middle of the next write leaves beside the copy.
    const std::wstring leftover = copy + L"-new";
    WriteBytes(leftover, ReadBytes(copy).substr(0, 700));
    ASSERT_NO_FATAL_FAILURE(StartAndAnswerOffer(L"'" + path + L"'", IDYES));
    ExpectRestored(path);
    EXPECT_FALSE(FileExists(leftover)) << "the half-written copy was left";
}

TEST_F(RecoveryTest, ACopyThatCannotBeWrittenIsSaidInAPartThatResizesAndMenusLeave)
{
    // A file where the store's folder should be, as a profile gone wrong has.
    wchar_t folder[kPathCapacity];
    ASSERT_TRUE(RecoveryFolder(folder, StoreUse::Write));
    ASSERT_TRUE(RemoveDirectoryW(folder));
    WriteBytes(folder, "not a folder");
    StartOnTypedFile();
    const std::wstring note = L"Unsaved text not kept for recovery";
    ExpectStatus(5, note);
    HWND mainWindow = program().mainWindow();
    SetWindowPos(mainWindow, nullptr, 0, 0, 700, 400, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(mainWindow, WM_MENUSELECT, MAKEWPARAM(IDM_SAVE, MF_HILITE), 0);
    EXPECT_EQ(program().StatusText(5), note);
    DeleteFileW(folder);
}

TEST_F(RecoveryTest, SavedTextIsNotOffered)
{
    StartOnTypedFile();
    ASSERT_NO_FATAL_FAILURE(WaitForCopy());
    program().PostCommand(IDM_SAVE);
    EXPECT_TRUE(WaitUntil([] { return RecoveryStoreNames().empty(); }, 10000)) << "the copy outlived the save";
    Kill();
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_TRUE(program().ShowsNoDialog());
}

TEST_F(RecoveryTest, TheEndOfTheSessionAsksNothingAndKeepsTheText)
{
    // As Windows (and wineboot --end-session) ends a session: the query, the
    // end, and then the process is ended. The text was typed a moment ago,
    // so no copy of it was due yet.
    const std::wstring path = StartOnTypedFile();
    ASSERT_TRUE(program().WaitUntilIdle());
    DWORD_PTR agreed = 0;
    ASSERT_TRUE(SendMessageTimeoutW(program().mainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &agreed));
    EXPECT_EQ(agreed, static_cast<DWORD_PTR>(TRUE));
    EXPECT_TRUE(program().ShowsNoDialog());
    ASSERT_TRUE(SendMessageTimeoutW(program().mainWindow(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, nullptr));
    EXPECT_EQ(RecoveryStoreNames().size(), 1u) << "the copy was not written before the session ended";
    Kill();
    ASSERT_NO_FATAL_FAILURE(StartAndAnswerOffer(L"'" + path + L"'", IDYES));
    ExpectRestored(path);
}

TEST_F(RecoveryTest, ACancelledEndOfTheSessionChangesNothing)
{
    StartOnTypedFile();
    ASSERT_TRUE(program().WaitUntilIdle());
    SendMessageTimeoutW(program().mainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    SendMessageTimeoutW(program().mainWindow(), WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    program().Type(L"y");
    ExpectTitle(L" notes.txt* - Scrivlet");
    EXPECT_EQ(program().EditText(), L"xycaf\u00E9\r\nline\r\n");
    program().PostCommand(IDM_EXIT);
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(folder_.Path(L"notes.txt")), IDNO));
    DWORD exitCode = 1;
    ASSERT_TRUE(program().WaitForExit(&exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(RecoveryStoreNames().empty()) << "a clean exit left its copy";
}

TEST_F(RecoveryTest, EachFurtherCopyRestoredGetsAWindowOfItsOwn)
{
    std::vector<std::pair<std::wstring, std::wstring>> aside;
    for (const wchar_t* text : {L"first", L"second"}) {
        ASSERT_NO_FATAL_FAILURE(Start());
        program().Type(text);
        ASSERT_NO_FATAL_FAILURE(WaitForCopy());
        Kill();
        // Kept out of the store so that the next program leaves it alone.
        const std::wstring copy = RecoveryStoreNames()[0];
        aside.emplace_back(folder_.Path(text), copy);
        ASSERT_TRUE(MoveFileW(copy.c_str(), aside.back().first.c_str()));
    }
    for (const auto& move : aside)
        ASSERT_TRUE(MoveFileW(move.first.c_str(), move.second.c_str()));
    ASSERT_NO_FATAL_FAILURE(StartAndAnswerOffer(L"an untitled document", IDYES));
    HWND box = program().WaitForDialogTitled(kPromptCaption);
    ASSERT_NE(box, nullptr) << "the second copy was not offered";
    PressDialogButton(box, IDYES);
    std::vector<HWND> others;
    ASSERT_TRUE(WaitUntil([&] { return !(others = program().OtherMainWindows()).empty(); }, 20000));
    ExpectTitle(L" Untitled* - Scrivlet");
    wchar_t otherText[64] = {};
    ASSERT_TRUE(WaitUntil(
        [&] {
            SendMessageW(GetDlgItem(others[0], IDC_EDIT), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(otherText));
            return otherText[0] != L'\0';
        },
        10000));
    const std::wstring texts[] = {program().EditText(), otherText};
    EXPECT_TRUE((texts[0] == L"first" && texts[1] == L"second") || (texts[0] == L"second" && texts[1] == L"first"))
        << "here: " << testing::PrintToString(texts[0]) << ", there: " << testing::PrintToString(texts[1]);
    DWORD otherProcess = 0;
    GetWindowThreadProcessId(others[0], &otherProcess);
    HANDLE other = OpenProcess(PROCESS_TERMINATE, FALSE, otherProcess);
    TerminateProcess(other, 0);
    CloseHandle(other);
}

}  // namespace
