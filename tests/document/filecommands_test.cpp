// The file commands' own rules, in the real frame: argument checks, the
// prompts' answers and which recent entry an id names.
#include "document/filecommands.h"

#include <gtest/gtest.h>

#include "document/documentstate.h"
#include "document/safesave.h"
#include "document/textfile.h"
#include "app/commands.h"
#include "platform/scopedhandle.h"
#include "res/resource.h"
#include "tests/support/address_space.h"
#include "tests/support/boxes_in_thread.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/registry_reset.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/swapped_call.h"
#include "tests/support/wait.h"

namespace {

class FileCommandsUnitTest : public FrameTest {
protected:
    ScratchFolder folder_;
};

TEST_F(FileCommandsUnitTest, DialogsRefuseMissingArgumentsWithoutShowingAnything)
{
    int modified = 0;
    TextFormat format = PlainTextFormat();
    wchar_t path[kPathCapacity] = L"Untitled";
    DialogAnswerer answerer(IDCANCEL);
    EXPECT_EQ(RunOpenDialog(nullptr, &modified, path, &format), 0);
    EXPECT_EQ(RunOpenDialog(window_, nullptr, path, &format), 0);
    EXPECT_EQ(RunSaveAsDialog(window_, &modified, nullptr, &format), SaveResult::Failed);
    EXPECT_EQ(RunSaveAsDialog(window_, &modified, path, nullptr), SaveResult::Failed);
    EXPECT_FALSE(answerer.Finish()) << "a dialog appeared: " << answerer.caption();
}

TEST_F(FileCommandsUnitTest, OpenWithoutRoomForTheDialogsLibraryReportsItAndKeepsTheDocument)
{
    ASSERT_EQ(GetModuleHandleW(L"comdlg32.dll"), nullptr) << "the dialogs' library was mapped before the command";
    SetWindowTextW(edit(), L"the user's text");
    wcscpy(DocumentState.FilePath, L"C:\\notes.txt");
    DocumentState.IsModified = 0;
    DocumentState.Format.Encoding = kUtf8Text;
    DocumentState.Format.LineEnds = kLfLineEnds;
    std::wstring box = LastBoxWithAddressSpaceTaken([&] {
        HandleCommand(window_, MAKEWPARAM(IDM_OPEN, 0), 0);
        PumpMessages();
    });
    EXPECT_EQ(box, L"Scrivlet v2.0 - Error: Could not open that file!");
    EXPECT_EQ(EditText(), L"the user's text");
    EXPECT_STREQ(DocumentState.FilePath, L"C:\\notes.txt");
    EXPECT_EQ(DocumentState.Format.Encoding, kUtf8Text);
    EXPECT_EQ(DocumentState.Format.LineEnds, kLfLineEnds);
    EXPECT_EQ(GetModuleHandleW(L"comdlg32.dll"), nullptr);
}

TEST_F(FileCommandsUnitTest, AFileOfTwoGigabytesIsRefusedWithTheReasonAndTheTextStays)
{
    const std::wstring path = folder_.Path(L"huge.txt");
    {
        ScopedHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        LARGE_INTEGER end;
        end.QuadPart = 0x80000000LL;
        ASSERT_TRUE(file.valid() && SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get()));
    }
    SetWindowTextW(edit(), L"the user's text");
    EXPECT_EQ(
        Scrivlet_ReadFile(window_, path.c_str(), &DocumentState.IsModified, &DocumentState.Format, &DocumentState.Base),
        0);
    DialogAnswerer answerer(IDOK);
    ShowLoadFailure(L"Failed to open that file!");
    ASSERT_TRUE(answerer.Finish());
    EXPECT_EQ(answerer.text(),
              L"Failed to open that file!\n\nThe file is too large for Scrivlet, which opens files below 2 GB.");
    EXPECT_EQ(EditTextAfterPump(), L"the user's text");

    // A load that fails for another reason says the text alone.
    EXPECT_EQ(Scrivlet_ReadFile(window_, folder_.Path(L"no folder\\a.txt").c_str(), &DocumentState.IsModified,
                                &DocumentState.Format, &DocumentState.Base),
              0);
    DialogAnswerer second(IDOK);
    ShowLoadFailure(L"Failed to open file!");
    ASSERT_TRUE(second.Finish());
    EXPECT_EQ(second.text(), L"Failed to open file!");
}

TEST_F(FileCommandsUnitTest, PromptsReturnTheAnswer)
{
    DialogAnswerer no(IDNO);
    EXPECT_EQ(ConfirmOverwrite(L"C:\\x.txt"), IDNO);
    ASSERT_TRUE(no.Finish());
    EXPECT_EQ(no.caption(), L"Scrivlet 2.0");
    EXPECT_EQ(no.text(), L"The file 'C:\\x.txt' already exists. Overwrite it?");

    DialogAnswerer cancel(IDCANCEL);
    EXPECT_EQ(ConfirmSaveChanges(L"Untitled"), IDCANCEL);
    ASSERT_TRUE(cancel.Finish());
    EXPECT_EQ(cancel.text(), L"The contents of 'Untitled' have changed. Do you want to save?");
}

TEST_F(FileCommandsUnitTest, RecentIdNamesAnEntryByItsPlaceAndOtherIdsTheFirst)
{
    std::wstring one = folder_.Write(L"one.txt", "1");
    std::wstring two = folder_.Write(L"two.txt", "2");
    AddRecentEntry(L"one.txt", one);
    AddRecentEntry(L"two.txt", two);

    OpenRecentFile(window_, IDM_RECENT2);
    EXPECT_EQ(std::wstring(DocumentState.FilePath), two);
    EXPECT_EQ(EditTextAfterPump(), L"2");

    OpenRecentFile(window_, 12345);
    EXPECT_EQ(std::wstring(DocumentState.FilePath), one);
    EXPECT_EQ(EditTextAfterPump(), L"1");

    // Walks that stop early leave the list to start at its first entry again.
    OpenRecentFile(window_, IDM_RECENT1);
    EXPECT_EQ(std::wstring(DocumentState.FilePath), one);
}

// Saving the text again would write this file's lone CR LF as LF, the style
// of its other line ends: a save with no edit leaves the file as it is, one
// after an edit (a letter typed and deleted) writes.
TEST_F(FileCommandsUnitTest, ASaveWithNoEditLeavesTheFileItWasReadFrom)
{
    const std::string bytes = "a\r\nb\nc\n";
    const std::wstring path = folder_.Write(L"mixed.txt", bytes);
    ASSERT_EQ(
        Scrivlet_ReadFile(window_, path.c_str(), &DocumentState.IsModified, &DocumentState.Format, &DocumentState.Base),
        1);
    wcscpy(DocumentState.FilePath, path.c_str());
    EditTextAfterPump();
    FileVersion read = {}, now = {};
    ASSERT_TRUE(ReadFileIdentityAt(path.c_str(), &read));
    {
        DialogAnswerer none(IDCANCEL);
        HandleCommand(window_, MAKEWPARAM(IDM_SAVE, 0), 0);
        EXPECT_FALSE(none.Finish()) << "a box appeared: " << none.text();
    }
    EXPECT_EQ(ReadBytes(path), bytes);
    ASSERT_TRUE(ReadFileIdentityAt(path.c_str(), &now));
    EXPECT_EQ(CompareFileTime(&read.LastWrite, &now.LastWrite), 0) << "the file was written";

    SendMessageW(edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"x"));
    SendMessageW(edit(), EM_SETSEL, 0, 1);
    SendMessageW(edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
    ASSERT_EQ(DocumentState.IsModified, 1);
    HandleCommand(window_, MAKEWPARAM(IDM_SAVE, 0), 0);
    EXPECT_EQ(ReadBytes(path), "a\nb\nc\n");
    EXPECT_EQ(DocumentState.IsModified, 0);
}

// The questions before a save that writes characters under another code than
// the file had them in, and before one whose bytes would open as other text.
TEST_F(FileCommandsUnitTest, ASaveThatWouldChangeCodesOrOpenAsOtherTextAsksFirst)
{
    const std::wstring path = folder_.Path(L"asked.txt");
    const std::wstring choices =
        L"\n\nYes saves it anyway. No opens Save As, to choose another name or encoding and leave the file as it is. "
        L"Cancel does not save it.";
    const struct {
        const char* what;
        size_t recoded;  // as an open under a multi-byte code page notes them
        const wchar_t* text;
        int answer;
        std::wstring question;
        const char* saved;  // null: the file keeps its bytes
    } cases[] = {
        {"three recoded, Yes", 3, L"abc", IDYES,
         L"3 characters of '" + path +
             L"' have a second code in the ANSI code page, and saving writes them under the other one: the text "
             L"stays the same, but their bytes change.",
         "abc"},
        {"one recoded, Cancel", 1, L"abc", IDCANCEL,
         L"1 character of '" + path +
             L"' has a second code in the ANSI code page, and saving writes it under the other one: the text stays "
             L"the same, but its bytes change.",
         nullptr},
        {"would read as UTF-8, Yes", 0, L"caf\x00C3\x00A9", IDYES,
         L"Saved as ANSI, '" + path + L"' would open as other text: its bytes would read as UTF-8.", "caf\xC3\xA9"},
        {"would read as UTF-8, Cancel", 0, L"caf\x00C3\x00A9", IDCANCEL,
         L"Saved as ANSI, '" + path + L"' would open as other text: its bytes would read as UTF-8.", nullptr},
        // Pasted lone line ends outnumber the CR LF the document keeps as they
        // stand: an open would give each its own line.
        {"lone line ends, Cancel", 0, L"a\nb\nc\r\n", IDCANCEL,
         L"Saved as ANSI, '" + path + L"' would open as other text: its line ends would read otherwise.", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(path, "before");
        SetWindowTextW(edit(), c.text);
        wcscpy(DocumentState.FilePath, path.c_str());
        DocumentState.Format = PlainTextFormat();
        DocumentState.Format.RecodedCharacters = c.recoded;
        DocumentState.Base = {};
        DocumentState.IsModified = 1;
        DialogAnswerer answerer(c.answer);
        HandleCommand(window_, MAKEWPARAM(IDM_SAVE, 0), 0);
        ASSERT_TRUE(answerer.Finish());
        EXPECT_EQ(answerer.text(), c.question + choices);
        EXPECT_EQ(ReadBytes(path), c.saved ? c.saved : "before");
        EXPECT_EQ(DocumentState.IsModified, c.saved ? 0 : 1);
        if (c.saved) {
            EXPECT_EQ(DocumentState.Format.RecodedCharacters, 0u) << "the file now holds the codes the text has";
        }
    }
}

// Stands for a disk that takes no more from the file being saved: its next
// refusedWrites writes fail, every other write goes through.
BY_HANDLE_FILE_INFORMATION refusedFile;
int refusedWrites;

bool IsRefusedFile(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION file;
    return GetFileInformationByHandle(handle, &file) && file.dwVolumeSerialNumber == refusedFile.dwVolumeSerialNumber &&
           file.nFileIndexHigh == refusedFile.nFileIndexHigh && file.nFileIndexLow == refusedFile.nFileIndexLow;
}

BOOL WINAPI WriteThatIsRefused(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (refusedWrites > 0 && IsRefusedFile(file)) {
        --refusedWrites;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WriteFile(file, data, size, written, overlapped);
}

// A file with two names is saved in place behind a copy of its old text,
// which a failed save puts back, or leaves and names when it cannot; one left
// by an earlier save is never overwritten.
TEST_F(FileCommandsUnitTest, AnInPlaceSaveThatFailsNamesTheCopyItLeaves)
{
    const std::wstring copy = folder_.Path(L"b.txt") + kBackupSuffix;
    const struct {
        const char* what;
        int refusedWrites;
        const char* earlierCopy;  // null: none is there before the save
        std::wstring box;
        const char* copyAfter;  // null: no copy is left
    } cases[] = {
        {"the new text is refused", 1, nullptr, L"Failed to save file!", nullptr},
        {"the old text is refused too", 1000, nullptr, L"Failed to save file! The old text is kept in " + copy + L".",
         "old text"},
        {"an earlier save left its copy", 0, "older text",
         L"Failed to save file! An earlier save was interrupted and left " + copy +
             L", which may hold the file's old text. Move or delete it, then save again.",
         "older text"},
    };
    SwappedCall<decltype(WriteFileCall)> refusing(WriteFileCall, WriteThatIsRefused);
    const std::wstring first = folder_.Path(L"a.txt");
    const std::wstring second = folder_.Path(L"b.txt");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(copy.c_str());
        WriteBytes(first, "old text");
        DeleteFileW(second.c_str());
        ASSERT_TRUE(CreateHardLinkW(second.c_str(), first.c_str(), nullptr));
        if (c.earlierCopy)
            WriteBytes(copy, c.earlierCopy);
        HANDLE file =
            CreateFileW(first.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_TRUE(GetFileInformationByHandle(file, &refusedFile));
        CloseHandle(file);
        refusedWrites = c.refusedWrites;
        SetWindowTextW(edit(), L"new text");
        wcscpy(DocumentState.FilePath, second.c_str());
        DocumentState.Format = PlainTextFormat();
        DocumentState.IsModified = 1;

        BoxesAnsweredInThread boxes;
        ASSERT_TRUE(boxes.active());
        HandleCommand(window_, MAKEWPARAM(IDM_SAVE, 0), 0);
        EXPECT_EQ(boxes.seen(), L"Scrivlet v2.0 - Error: " + c.box);
        EXPECT_EQ(DocumentState.IsModified, 1);
        // A refused write puts nothing in the file.
        EXPECT_EQ(ReadBytes(first), "old text");
        EXPECT_EQ(ReadBytes(second), "old text");
        EXPECT_EQ(FileExists(copy), c.copyAfter != nullptr);
        if (c.copyAfter) {
            EXPECT_EQ(ReadBytes(copy), c.copyAfter);
        }
    }
}

}  // namespace
