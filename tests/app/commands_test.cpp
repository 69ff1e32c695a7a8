// The command handler in the real frame: the change notice and the ids that
// have no action.
#include "app/commands.h"

#include <gtest/gtest.h>

#include "document/documentstate.h"
#include "res/resource.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/wait.h"

namespace {

class CommandsTest : public FrameTest {};

TEST_F(CommandsTest, ChangeNoticeOfAnyControlMarksTheDocumentModified)
{
    EXPECT_EQ(HandleCommand(window_, MAKEWPARAM(999, EN_CHANGE), 0), 0);
    EXPECT_EQ(DocumentState.IsModified, 1);
    EXPECT_EQ(WindowText(window_), L" Untitled* - Scrivlet");
}

TEST_F(CommandsTest, IdsWithoutAnActionDoNothing)
{
    SetWindowTextW(edit(), L"text");
    std::wstring title = WindowText(window_);
    // Would answer (and so reveal) any box one of the ids opened.
    DialogAnswerer answerer(IDCANCEL);
    for (UINT id : {static_cast<UINT>(IDM_RECENTEMPTY), 0u, 40013u, 12345u})
        EXPECT_EQ(HandleCommand(window_, MAKEWPARAM(id, 0), 0), 0) << "for id " << id;
    EXPECT_FALSE(answerer.Finish()) << "a box appeared: " << answerer.text();
    EXPECT_EQ(DocumentState.IsModified, 0);
    EXPECT_EQ(WindowText(window_), title);
    EXPECT_EQ(EditText(), L"text");
}

TEST_F(CommandsTest, UndoWithNothingToUndoLeavesTheDocumentUnmodified)
{
    HandleCommand(window_, MAKEWPARAM(IDM_UNDO, 1), 0);
    PumpMessages();
    EXPECT_EQ(DocumentState.IsModified, 0);

    HandleCommand(window_, MAKEWPARAM(IDM_TAB, 1), 0);
    EXPECT_EQ(EditText(), L"\t");
    DocumentState.IsModified = 0;
    HandleCommand(window_, MAKEWPARAM(IDM_UNDO, 1), 0);
    EXPECT_EQ(EditText(), L"");
    EXPECT_EQ(DocumentState.IsModified, 1);
}

}  // namespace
