// The frame of the real program: word wrap and stay-on-top survive a restart,
// and the mouse over a toolbar button shows its help in status part 0.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/scrivlet_process.h"
#include "tests/support/registry_reset.h"
#include "tests/support/wait.h"

namespace {

const int kEditId = 106;
const int kToolbarId = 107;
const WORD kWordWrapCommand = 40027;
const WORD kStayOnTopCommand = 39999;

// The screen point in the middle of a toolbar button of another process; the
// toolbar writes the rectangle into memory of its own process.
bool ButtonCentreOnScreen(DWORD processId, HWND toolbar, int position, POINT* centre)
{
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (!process)
        return false;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    RECT rect = {};
    bool found = remote && SendMessageW(toolbar, TB_GETITEMRECT, position, reinterpret_cast<LPARAM>(remote)) &&
                 ReadProcessMemory(process, remote, &rect, sizeof(rect), nullptr);
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    centre->x = (rect.left + rect.right) / 2;
    centre->y = (rect.top + rect.bottom) / 2;
    return found && ClientToScreen(toolbar, centre);
}

class FrameE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ResetScrivletRegistry(); }
    void TearDown() override { ResetScrivletRegistry(); }

    static bool WrapIsOn(const ScrivletProcess& program)
    {
        return !(GetWindowLongPtrW(program.Child(kEditId), GWL_STYLE) & WS_HSCROLL);
    }
    static bool OnTop(const ScrivletProcess& program)
    {
        return (GetWindowLongPtrW(program.mainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    }
    static bool OnTopButtonPressed(const ScrivletProcess& program)
    {
        return SendMessageW(program.Child(kToolbarId), TB_ISBUTTONCHECKED, kStayOnTopCommand, 0) != 0;
    }
    static void Command(ScrivletProcess& program, WORD id)
    {
        PostMessageW(program.mainWindow(), WM_COMMAND, id, 0);
        ASSERT_TRUE(program.WaitUntilIdle()) << "the program did not finish command " << id;
    }
    static void CloseNormally(ScrivletProcess& program)
    {
        program.Close();
        DWORD code = 12345;
        ASSERT_TRUE(program.WaitForExit(&code)) << "the program did not end";
        EXPECT_EQ(code, 0u);
    }
};

TEST_F(FrameE2eTest, WordWrapIsKeptAcrossARestart)
{
    {
        ScrivletProcess program;
        ASSERT_TRUE(program.WaitUntilReady());
        ASSERT_FALSE(WrapIsOn(program));
        Command(program, kWordWrapCommand);
        EXPECT_TRUE(WrapIsOn(program));
        DWORD stored = 0;
        EXPECT_TRUE(StoredOption(L"WordWrap", &stored));
        EXPECT_EQ(stored, 1u);
        CloseNormally(program);
    }
    {
        ScrivletProcess program;
        ASSERT_TRUE(program.WaitUntilReady());
        EXPECT_TRUE(WrapIsOn(program)) << "word wrap was not restored";
        Command(program, kWordWrapCommand);
        EXPECT_FALSE(WrapIsOn(program));
        CloseNormally(program);
    }
    ScrivletProcess program;
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_FALSE(WrapIsOn(program));
    CloseNormally(program);
}

TEST_F(FrameE2eTest, StayOnTopIsKeptAcrossARestart)
{
    {
        ScrivletProcess program;
        ASSERT_TRUE(program.WaitUntilReady());
        ASSERT_FALSE(OnTop(program));
        Command(program, kStayOnTopCommand);
        EXPECT_TRUE(OnTop(program));
        EXPECT_TRUE(OnTopButtonPressed(program));
        DWORD stored = 0;
        EXPECT_TRUE(StoredOption(L"Stayontop", &stored));
        EXPECT_EQ(stored, 1u);
        CloseNormally(program);
    }
    {
        ScrivletProcess program;
        ASSERT_TRUE(program.WaitUntilReady());
        EXPECT_TRUE(OnTop(program)) << "the restarted window is not topmost";
        EXPECT_TRUE(OnTopButtonPressed(program));
        Command(program, kStayOnTopCommand);
        EXPECT_FALSE(OnTop(program));
        EXPECT_FALSE(OnTopButtonPressed(program));
        CloseNormally(program);
    }
    ScrivletProcess program;
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_FALSE(OnTop(program));
    CloseNormally(program);
}

// The test display's work area starts past a panel at the top and the left,
// where a place given back in other coordinates than it was taken in creeps.
TEST_F(FrameE2eTest, ThePlaceIsKeptAcrossRestartsWithoutCreeping)
{
    const RECT moved = {200, 150, 700, 550};
    {
        ScrivletProcess program;
        ASSERT_TRUE(program.WaitUntilReady());
        ASSERT_TRUE(SetWindowPos(program.mainWindow(), nullptr, moved.left, moved.top, moved.right - moved.left,
                                 moved.bottom - moved.top, SWP_NOZORDER));
        CloseNormally(program);
    }
    for (int restart = 1; restart <= 2; ++restart) {
        ScrivletProcess program;
        ASSERT_TRUE(program.WaitUntilReady());
        RECT frame = {};
        GetWindowRect(program.mainWindow(), &frame);
        EXPECT_TRUE(EqualRect(&frame, &moved)) << "restart " << restart << " at " << frame.left << "," << frame.top;
        CloseNormally(program);
    }
}

TEST_F(FrameE2eTest, TheMouseOverAToolbarButtonShowsItsHelp)
{
    ScrivletProcess program;
    ASSERT_TRUE(program.WaitUntilReady());
    HWND toolbar = program.Child(kToolbarId);
    struct {
        int position;
        const wchar_t* text;
    } buttons[] = {{1, L"Open a file from disk."}, {9, L"Find/Replace in document"}, {10, L"Toggles stay on top"}};
    for (const auto& button : buttons) {
        POINT centre;
        ASSERT_TRUE(ButtonCentreOnScreen(program.id(), toolbar, button.position, &centre));
        ASSERT_EQ(WindowFromPoint(centre), toolbar) << "another window covers button " << button.position;
        // The pointer comes from the document, so the move onto the button is
        // a real change even when it rested there before.
        ASSERT_TRUE(SetCursorPos(centre.x, centre.y + 60));
        ASSERT_TRUE(program.WaitUntilIdle());
        ASSERT_TRUE(SetCursorPos(centre.x, centre.y));
        EXPECT_TRUE(WaitUntil([&] { return program.StatusText(0) == button.text; }))
            << "part 0 shows \"" << std::string(program.StatusText(0).begin(), program.StatusText(0).end())
            << "\" over button " << button.position;
    }
    CloseNormally(program);
}

}  // namespace
