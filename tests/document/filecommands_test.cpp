// The file commands' own rules, in the real frame: argument checks, the
// prompts' answers and which recent entry an id names.
#include "document/filecommands.h"

#include <gtest/gtest.h>

#include "document/documentstate.h"
#include "app/commands.h"
#include "res/resource.h"
#include "tests/support/boxes_in_thread.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/registry_reset.h"
#include "tests/support/scratch_folder.h"
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
    EXPECT_EQ(RunSaveAsDialog(window_, &modified, nullptr, &format), 0);
    EXPECT_EQ(RunSaveAsDialog(window_, &modified, path, nullptr), 0);
    EXPECT_FALSE(answerer.Finish()) << "a dialog appeared: " << answerer.caption();
}

TEST_F(FileCommandsUnitTest, OpenWithoutRoomForTheDialogsLibraryReportsItAndKeepsTheDocument)
{
    ASSERT_EQ(GetModuleHandleW(L"comdlg32.dll"), nullptr) << "the dialogs' library was mapped before the command";
    SetWindowTextW(edit(), L"the user's text");
    wcscpy(DocumentState.FilePath, L"C:\\notes.txt");
    DocumentState.IsModified = 0;
    DocumentState.Format.IsUnicode = kUtf8Text;
    DocumentState.Format.LineEnds = kLfLineEnds;
    std::wstring box = LastBoxWithAddressSpaceTaken([&] {
        HandleCommand(window_, MAKEWPARAM(IDM_OPEN, 0), 0);
        PumpMessages();
    });
    EXPECT_EQ(box, L"Scrivlet v2.0 - Error: Could not open that file!");
    EXPECT_EQ(EditText(), L"the user's text");
    EXPECT_STREQ(DocumentState.FilePath, L"C:\\notes.txt");
    EXPECT_EQ(DocumentState.Format.IsUnicode, kUtf8Text);
    EXPECT_EQ(DocumentState.Format.LineEnds, kLfLineEnds);
    EXPECT_EQ(GetModuleHandleW(L"comdlg32.dll"), nullptr);
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

}  // namespace
