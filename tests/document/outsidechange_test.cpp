// What coming back to the program does about the document's file, and the
// outside version already asked about.
#include "document/outsidechange.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "document/backgroundcheck.h"
#include "document/documentstate.h"
#include "document/textfile.h"
#include "res/resource.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/swapped_call.h"
#include "tests/support/wait.h"

namespace {

FileVersion Outside(DWORD writeTime, ULONGLONG size)
{
    FileVersion version = {};
    version.Known = 1;
    version.LastWrite.dwLowDateTime = writeTime;
    version.Size = size;
    return version;
}

TEST(DecideOnReturn, AsksAboutAnOutsideVersionOnceAndReloadsOnlyWhatIsUnchangedHere)
{
    const FileVersion none = {};
    const FileVersion theirs = Outside(200, 10);
    const FileVersion large = Outside(200, kReloadWithoutAskingLimit + 1);
    const struct {
        const char* name;
        FileState state;
        FileVersion now;
        bool modified, knownGone, editedSinceGone;
        FileVersion asked;
        ReturnAction expected;
    } cases[] = {
        {"as it was", FileState::Same, theirs, false, false, false, none, ReturnAction::Adopt},
        {"not to be checked", FileState::Unknown, none, true, false, false, none, ReturnAction::Nothing},
        {"changed, nothing typed", FileState::Changed, theirs, false, false, false, none, ReturnAction::Reload},
        {"changed and large", FileState::Changed, large, false, false, false, none, ReturnAction::AskToReload},
        {"changed under typed text", FileState::Changed, theirs, true, false, false, none, ReturnAction::AskToDrop},
        {"the version asked about", FileState::Changed, theirs, true, false, false, theirs, ReturnAction::Nothing},
        {"the large one asked about", FileState::Changed, large, false, false, false, large, ReturnAction::Nothing},
        {"a newer one than asked about", FileState::Changed, Outside(300, 10), true, false, false, theirs,
         ReturnAction::AskToDrop},
        {"gone", FileState::Gone, none, false, false, false, none, ReturnAction::MarkGone},
        {"still gone", FileState::Gone, none, true, true, false, none, ReturnAction::Nothing},
        {"back, with other bytes", FileState::Changed, theirs, true, true, false, none, ReturnAction::AskToDrop},
        {"back as it was, nothing typed since", FileState::Same, theirs, true, true, false, none, ReturnAction::Back},
        {"back as it was, typed since", FileState::Same, theirs, true, true, true, none, ReturnAction::Adopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideOnReturn(c.state, c.now, c.modified, c.knownGone, c.editedSinceGone, c.asked), c.expected)
            << c.name;
}

std::string Lines(int count, const char* word)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += word + std::to_string(i) + "\r\n";
    return text;
}

class ReloadTest : public FrameTest {
protected:
    // The document's file, as the user opened it.
    void Open(const std::wstring& path)
    {
        wcscpy(DocumentState.FilePath, path.c_str());
        ASSERT_EQ(Scrivlet_ReadFile(window_, path.c_str(), &DocumentState.IsModified, &DocumentState.Format,
                                    &DocumentState.Base),
                  1);
        PumpMessages();
    }

    ScratchFolder folder_;
};

// A reload keeps the caret and the view on their lines; in a shorter text the
// caret goes to the last line (the empty one after the final line end).
TEST_F(ReloadTest, TheCaretAndTheFirstVisibleLineKeepTheirLines)
{
    const struct {
        int newLines;
        DWORD caretLine, caretColumn;
    } cases[] = {{200, 120, 3}, {50, 50, 0}};
    for (const auto& c : cases) {
        const std::wstring path = folder_.Write(L"log.txt", Lines(200, "line "));
        ASSERT_NO_FATAL_FAILURE(Open(path));
        const DWORD caret = static_cast<DWORD>(SendMessageW(edit(), EM_LINEINDEX, 120, 0)) + 3;
        SendMessageW(edit(), EM_SETSEL, caret, caret);
        SendMessageW(edit(), EM_LINESCROLL, 0, 100 - SendMessageW(edit(), EM_GETFIRSTVISIBLELINE, 0, 0));
        ASSERT_EQ(SendMessageW(edit(), EM_GETFIRSTVISIBLELINE, 0, 0), 100);

        WriteBytes(path, Lines(c.newLines, "other line "));
        CheckFileOnReturn(window_);
        ASSERT_TRUE(WaitUntil([&] { return EditText().substr(0, 5) == L"other"; })) << "not reloaded";
        PumpMessages();
        DWORD start = 0, end = 0;
        SendMessageW(edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const DWORD line = static_cast<DWORD>(SendMessageW(edit(), EM_LINEFROMCHAR, start, 0));
        EXPECT_EQ(line, c.caretLine) << c.newLines << " lines";
        EXPECT_EQ(start - SendMessageW(edit(), EM_LINEINDEX, line, 0), c.caretColumn) << c.newLines << " lines";
        if (c.newLines == 200) {
            EXPECT_EQ(SendMessageW(edit(), EM_GETFIRSTVISIBLELINE, 0, 0), 100);
        }
    }
}

// Coming back while a dialog of the program is open checks nothing until it
// has closed.
TEST_F(ReloadTest, ACheckWaitsForAnOpenDialogToClose)
{
    const std::wstring path = folder_.Write(L"a.txt", "one");
    ASSERT_NO_FATAL_FAILURE(Open(path));
    HWND dialog =
        CreateWindowExW(0, L"#32770", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, window_, nullptr, nullptr, nullptr);
    ASSERT_NE(dialog, nullptr);
    WriteBytes(path, "three");
    CheckFileOnReturn(window_);
    RetryFileCheck(window_);
    PumpMessages();
    EXPECT_EQ(EditText(), L"one") << "checked while the dialog was open";
    DestroyWindow(dialog);
    RetryFileCheck(window_);
    EXPECT_TRUE(WaitUntil([&] { return EditText() == L"three"; })) << "not checked once the dialog had closed";
}

// Opening the file takes longer than a check may: the window goes on
// meanwhile, and the check changes nothing.
bool SlowCheckDone = false;
bool SlowIdentityAt(const wchar_t* path, FileVersion* version)
{
    Sleep(kFileCheckLimit + 1000);
    SlowCheckDone = true;
    return ReadFileIdentityAt(path, version);
}

TEST_F(ReloadTest, ACheckThatTakesTooLongLeavesTheWindowAnsweringAndChangesNothing)
{
    const std::wstring path = folder_.Write(L"a.txt", "one");
    ASSERT_NO_FATAL_FAILURE(Open(path));
    WriteBytes(path, "three");
    {
        SwappedCall<decltype(IdentityAtCall)> slow(IdentityAtCall, SlowIdentityAt);
        SlowCheckDone = false;
        CheckFileOnReturn(window_);
        EXPECT_FALSE(SlowCheckDone) << "the window waited for the check";
        // The answer comes after the check's time is up: it is dropped.
        ASSERT_TRUE(WaitUntil([] { return SlowCheckDone; }, kFileCheckLimit + 5000));
        Sleep(200);
        PumpMessages();
        EXPECT_EQ(EditText(), L"one") << "a check that took too long changed the text";
    }
    CheckFileOnReturn(window_);
    EXPECT_TRUE(WaitUntil([&] { return EditText() == L"three"; })) << "the next return checks no more";
}

}  // namespace
