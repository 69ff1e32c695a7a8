// Go to line in the real frame: a user on another thread works the modal dialog.
#include "tools/gotoline.h"

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/wait.h"
#include "tests/support/test_thread.h"

namespace {

class GoToLineTest : public FrameTest {};

bool Click(HWND dialog, int id)
{
    return SendMessageTimeoutW(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, kDefaultWaitMs, nullptr) != 0;
}

TEST_F(GoToLineTest, OkScrollsByTheDistanceFromTheCaretLineEachTime)
{
    std::wstring text;
    for (int line = 1; line <= 200; ++line)
        text += L"line " + std::to_wstring(line) + L"\r\n";
    SetWindowTextW(edit(), text.c_str());
    std::wstring caption, shown;
    int tops[2] = {-1, -1};
    bool closed = false;
    TestThread user([&] {
        HWND dialog = nullptr;
        WaitUntil([&] { return (dialog = FindProcessDialog(GetCurrentProcessId())) != nullptr; });
        caption = WindowText(dialog);
        shown = WindowText(GetDlgItem(dialog, IDC_LINENUMBER));
        SetDlgItemTextW(dialog, IDC_LINENUMBER, L"10");
        for (int& top : tops) {
            Click(dialog, IDOK);
            top = static_cast<int>(SendMessageW(edit(), EM_GETFIRSTVISIBLELINE, 0, 0));
        }
        closed = dialog && Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(ShowGoToLineDialog(window_), 0);
    user.join();
    ASSERT_TRUE(closed) << "the dialog did not appear or could not be closed";
    EXPECT_EQ(caption, L"Go to line");
    EXPECT_EQ(shown, L"1");
    EXPECT_EQ(tops[0], 9) << "line 10 at the top";
    EXPECT_EQ(tops[1], 18) << "the same distance again: the caret stayed";
}

}  // namespace
