// Whose boxes the program's are: a window of its own, whatever is in front.
#include "platform/messages.h"

#include <gtest/gtest.h>

#include <atomic>

#include "app/commands.h"
#include "res/resource.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/test_thread.h"
#include "tests/support/wait.h"
#include "tools/findreplace.h"

namespace {

// A window of another thread brought to the front, as another program's
// would be, for as long as this lives.
class WindowInFront {
public:
    WindowInFront()
        : thread_([this] {
              HWND window = CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                            nullptr, nullptr, nullptr, nullptr);
              SetForegroundWindow(window);
              window_ = window;
              while (!done_) {
                  MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
                  PumpMessages();
              }
              DestroyWindow(window);
          })
    {
        EXPECT_TRUE(WaitUntil([this] { return window_ && GetForegroundWindow() == window_; }))
            << "the other window did not come to the front";
    }
    ~WindowInFront()
    {
        done_ = true;
        thread_.join();
    }

private:
    std::atomic<HWND> window_{nullptr};
    std::atomic<bool> done_{false};
    TestThread thread_;
};

class BoxOwnerTest : public FrameTest {};

TEST_F(BoxOwnerTest, IsTheMainWindowWhileAnotherProgramIsInFront)
{
    WindowInFront other;
    EXPECT_EQ(BoxOwner(), window_);
}

TEST_F(BoxOwnerTest, IsTheDialogTheUserLeftOffInWhileAnotherProgramIsInFront)
{
    HandleCommand(window_, MAKEWPARAM(IDM_FINDREPLACE, 0), 0);
    ASSERT_NE(FindReplaceDialog, nullptr);
    PumpMessages();
    {
        WindowInFront other;
        EXPECT_EQ(BoxOwner(), FindReplaceDialog);
    }
    DestroyWindow(FindReplaceDialog);
}

TEST_F(BoxOwnerTest, IsNoneBeforeTheMainWindowExists)
{
    DestroyFrame();
    EXPECT_EQ(BoxOwner(), nullptr);
}

}  // namespace
