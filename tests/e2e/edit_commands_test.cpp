// The simple commands of the command table, reached through real keyboard
// input: undo, cut, copy, paste, select all, tab, new window, word wrap and
// file properties.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/e2e/program_test.h"
#include "tests/support/wait.h"

namespace {

bool SetClipboardText(const std::wstring& text)
{
    if (!OpenClipboard(nullptr))
        return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    bool set = false;
    if (block) {
        memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(block);
        set = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!set)
            GlobalFree(block);
    }
    CloseClipboard();
    return set;
}

std::wstring ClipboardText()
{
    if (!OpenClipboard(nullptr))
        return L"<clipboard busy>";
    std::wstring text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

class EditCommandsTest : public ProgramTest {
protected:
    void StartWith(const std::string& text)
    {
        ASSERT_NO_FATAL_FAILURE(Start(folder_.Write(L"e.txt", text)));
        ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt - Scrivlet"));
    }
    void Press(std::initializer_list<WORD> modifiers, WORD key)
    {
        ASSERT_TRUE(program().PressKeys(modifiers, key)) << "the program could not be brought to the front";
        ASSERT_TRUE(program().WaitUntilIdle());
    }
};

TEST_F(EditCommandsTest, TabReplacesTheSelectionWithOneTabThatCanBeUndone)
{
    ASSERT_NO_FATAL_FAILURE(StartWith("abcd"));
    program().Select(1, 3);
    ASSERT_NO_FATAL_FAILURE(Press({}, VK_TAB));
    EXPECT_EQ(program().EditText(), L"a\td");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt* - Scrivlet"));
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL}, 'Z'));
    EXPECT_EQ(program().EditText(), L"abcd");
}

TEST_F(EditCommandsTest, SelectAllOnAnEmptyDocumentSelectsNothingAndChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL}, 'A'));
    DWORD start = 99, end = 99;
    program().Selection(&start, &end);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 0u);
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled - Scrivlet"));
    ExpectStatus(3, L"\t[SAVED]");
    ExpectStatus(1, L"\tLn: 1 / Col: 1");
}

TEST_F(EditCommandsTest, SelectAllSelectsTheWholeText)
{
    ASSERT_NO_FATAL_FAILURE(StartWith("ab\r\ncd"));
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL}, 'A'));
    DWORD start = 99, end = 99;
    program().Selection(&start, &end);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 6u);
    ExpectStatus(1, L"\t[Selection]");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt - Scrivlet"));
}

TEST_F(EditCommandsTest, CopyAndCutOfNothingLeaveTheDocumentUnchangedButCutOfASelectionChangesIt)
{
    ASSERT_NO_FATAL_FAILURE(StartWith("hello world"));
    program().Select(0, 5);
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL}, 'C'));
    EXPECT_EQ(ClipboardText(), L"hello");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt - Scrivlet"));

    program().Select(3, 3);
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL}, 'X'));
    EXPECT_EQ(program().EditText(), L"hello world");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt - Scrivlet"));

    program().Select(0, 6);
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL}, 'X'));
    EXPECT_EQ(program().EditText(), L"world");
    EXPECT_EQ(ClipboardText(), L"hello ");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt* - Scrivlet"));
    ExpectStatus(3, L"\t[UNSAVED]");
}

TEST_F(EditCommandsTest, PasteMarksTheDocumentModified)
{
    ASSERT_TRUE(SetClipboardText(L"pasted"));
    ASSERT_NO_FATAL_FAILURE(StartWith("abc"));
    program().Select(3, 3);
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL}, 'V'));
    EXPECT_EQ(program().EditText(), L"abcpasted");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt* - Scrivlet"));
}

TEST_F(EditCommandsTest, UndoMarksTheDocumentModifiedOnlyWhenItChangesTheText)
{
    ASSERT_NO_FATAL_FAILURE(StartWith("abc"));
    // Nothing to undo right after loading.
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL}, 'Z'));
    EXPECT_EQ(program().EditText(), L"abc");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt - Scrivlet"));

    program().Type(L"x");
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL}, 'S'));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt - Scrivlet"));
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL}, 'Z'));
    EXPECT_EQ(program().EditText(), L"abc");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt* - Scrivlet"));
}

TEST_F(EditCommandsTest, CtrlWStartsASecondProgramWithAnUntitledDocument)
{
    ASSERT_NO_FATAL_FAILURE(StartWith("mine"));
    ASSERT_TRUE(program().OtherMainWindows().empty()) << "another Scrivlet is running already";
    ASSERT_TRUE(program().PressKeys({VK_CONTROL}, 'W'));

    HWND other = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        auto windows = program().OtherMainWindows();
        other = windows.empty() ? nullptr : windows.front();
        return other && IsWindowVisible(other);
    })) << "no second program window appeared";
    DWORD otherId = 0;
    GetWindowThreadProcessId(other, &otherId);
    HANDLE otherProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, otherId);
    ASSERT_NE(otherProcess, nullptr);
    EXPECT_NE(otherId, program().id());
    EXPECT_TRUE(WaitUntil([&] { return WindowText(other) == L" Untitled - Scrivlet"; }))
        << "the new window is titled \"" << WindowText(other) << "\"";
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" e.txt - Scrivlet"));
    EXPECT_EQ(program().EditText(), L"mine");

    PostMessageW(other, WM_CLOSE, 0, 0);
    bool ended = WaitForSingleObject(otherProcess, 10000) == WAIT_OBJECT_0;
    if (!ended)
        TerminateProcess(otherProcess, 99);
    CloseHandle(otherProcess);
    EXPECT_TRUE(ended) << "the second program did not close";
}

TEST_F(EditCommandsTest, CtrlShiftWSwitchesWordWrapBothWays)
{
    ASSERT_NO_FATAL_FAILURE(StartWith("wrap me"));
    auto wraps = [this] { return !(GetWindowLongW(program().Child(IDC_EDIT), GWL_STYLE) & WS_HSCROLL); };
    ASSERT_FALSE(wraps()) << "a first run starts without word wrap";
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL, VK_SHIFT}, 'W'));
    EXPECT_TRUE(wraps());
    EXPECT_EQ(program().EditText(), L"wrap me");
    ASSERT_NO_FATAL_FAILURE(Press({VK_CONTROL, VK_SHIFT}, 'W'));
    EXPECT_FALSE(wraps());
    // Ctrl+Shift+W is not Ctrl+W: no second program was started.
    EXPECT_TRUE(program().OtherMainWindows().empty());
}

TEST_F(EditCommandsTest, FilePropertiesOfAnUntitledDocumentFail)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(program().PressKeys({}, VK_F8));
    // The shell reports the failure in its own box first (Wine: "Error",
    // "Invalid parameter."), as nothing asks it not to.
    HWND box = program().WaitForDialog();
    ASSERT_NE(box, nullptr) << "no box appeared";
    if (WindowText(box) != kErrorCaption) {
        PressDialogButton(box, IDOK);
        ASSERT_TRUE(WaitUntilGone(box));
    }
    ASSERT_NO_FATAL_FAILURE(Answer(kErrorCaption, L"Failed to invoke file properties dialog!", IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled - Scrivlet"));
}

}  // namespace
