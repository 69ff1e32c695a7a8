// Find and Replace in the running program: keys for the dialog pass the
// program's own message loop and stay in the dialog instead of reaching the
// main window's accelerators.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/e2e/program_test.h"

namespace {

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

class ToolsTest : public ProgramTest {};

TEST_F(ToolsTest, CtrlFOpensFindAndReplaceWhichKeepsItsKeysFromTheAccelerators)
{
    ASSERT_NO_FATAL_FAILURE(Start(folder_.Write(L"t.txt", "one two one")));
    ASSERT_TRUE(program().PressKeys({VK_CONTROL}, 'F')) << "the program could not be brought to the front";
    HWND dialog = program().WaitForDialogTitled(L"Find and Replace");
    ASSERT_NE(dialog, nullptr) << "Ctrl+F opened no Find and Replace dialog";
    ASSERT_TRUE(program().WaitUntilIdle());
    HWND findBox = GetDlgItem(dialog, IDC_FINDTEXT);
    EXPECT_EQ(FocusOf(dialog), findBox);

    // Tab is also an accelerator (insert a tab into the document).
    PostMessageW(findBox, WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(program().WaitUntilIdle());
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDC_REPLACETEXT)) << "Tab moves on";
    EXPECT_EQ(program().EditText(), L"one two one") << "Tab inserted nothing";
    PostMessageW(GetDlgItem(dialog, IDC_REPLACETEXT), WM_KEYDOWN, VK_ESCAPE, 1);
    ASSERT_TRUE(program().WaitUntilIdle());
    EXPECT_FALSE(IsWindowVisible(dialog)) << "Esc closes the dialog";
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" t.txt - Scrivlet"));
}

}  // namespace
