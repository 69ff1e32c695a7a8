// Find and Replace in the running program: keys for the dialog pass the
// program's own message loop and stay in the dialog instead of reaching the
// main window's accelerators.
#include <windows.h>
#include <commctrl.h>
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

// F3 and Shift+F3 reach the accelerators only through the program's own
// message loop.
TEST_F(ToolsTest, FThreeRepeatsTheLastFindAfterTheDialogClosedAndShiftFThreeGoesBack)
{
    ASSERT_NO_FATAL_FAILURE(Start(folder_.Write(L"t.txt", "note one note two note")));
    ASSERT_TRUE(program().PressKeys({}, VK_F3));
    HWND dialog = program().WaitForDialogTitled(L"Find and Replace");
    ASSERT_NE(dialog, nullptr) << "F3 with nothing to find again opens the dialog";
    SendMessageW(GetDlgItem(dialog, IDC_FINDTEXT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"note"));
    PressDialogButton(dialog, IDC_FINDNEXT);
    PressDialogButton(dialog, IDCANCEL);
    ASSERT_TRUE(program().WaitUntilIdle());
    DWORD start = 0, end = 0;
    program().Selection(&start, &end);
    EXPECT_EQ(start, 0u);

    const DWORD walk[] = {9, 18, 0};
    for (DWORD expected : walk) {
        ASSERT_TRUE(program().PressKeys({}, VK_F3));
        program().Selection(&start, &end);
        EXPECT_EQ(start, expected);
        EXPECT_EQ(end, expected + 4);
    }
    ExpectStatus(0, L"Passed the end of the document; continued from the top.");
    ASSERT_TRUE(program().PressKeys({VK_SHIFT}, VK_F3));
    program().Selection(&start, &end);
    EXPECT_EQ(start, 18u) << "Shift+F3 wraps to the bottom";
    ExpectStatus(0, L"Passed the start of the document; continued from the bottom.");
    ASSERT_TRUE(program().PressKeys({VK_SHIFT}, VK_F3));
    program().Selection(&start, &end);
    EXPECT_EQ(start, 9u);
}

TEST_F(ToolsTest, CtrlPlusTwiceEnlargesTheLinesAndShowsTheZoomUntilCtrlZero)
{
    ASSERT_NO_FATAL_FAILURE(Start(folder_.Write(L"t.txt", "one\r\ntwo")));
    HWND edit = program().Child(IDC_EDIT);
    auto lineHeight = [&] {
        return static_cast<short>(HIWORD(SendMessageW(edit, EM_POSFROMCHAR, 5, 0))) -
               static_cast<short>(HIWORD(SendMessageW(edit, EM_POSFROMCHAR, 0, 0)));
    };
    const int normal = lineHeight();
    ASSERT_GT(normal, 0);
    ASSERT_TRUE(program().PressKeys({VK_CONTROL}, VK_OEM_PLUS));
    ASSERT_TRUE(program().PressKeys({VK_CONTROL}, VK_OEM_PLUS));
    EXPECT_GT(lineHeight(), normal);
    ExpectStatus(5, L"\t120%");
    ASSERT_TRUE(program().PressKeys({VK_CONTROL}, '0'));
    EXPECT_EQ(lineHeight(), normal);
    EXPECT_EQ(SendMessageW(program().Child(IDC_STATUSBAR), SB_GETPARTS, 0, 0), 5) << "no zoom part at 100 %";
}

}  // namespace
