#include "tests/support/frame_fixture.h"

#include <commctrl.h>

#include <cwchar>

#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/toolbar.h"
#include "document/documentstate.h"
#include "document/titlestatus.h"
#include "platform/dpi.h"
#include "prefs/appearance.h"
#include "recovery/recoverywriter.h"
#include "res/resource.h"
#include "tests/support/registry_reset.h"
#include "tests/support/wait.h"

void FrameTest::SetUp()
{
    ResetScrivletRegistry();
    CreateFrame();
}

void FrameTest::TearDown()
{
    DestroyFrame();
    ResetScrivletRegistry();
}

void FrameTest::CreateFrame()
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass;
    RegisterMainWindowClass(&windowClass, GetSysColorBrush(COLOR_BTNFACE), nullptr);
    window_ = CreateMainFrame(instance);
    ASSERT_NE(window_, nullptr);
    DocumentState = DocumentStateRecord();
    wcscpy(DocumentState.FilePath, kUntitled);
    const int iconSize = StatusIconSize(ScreenDpi());
    IDI_SAVED =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_SAVED_ICON), IMAGE_ICON, iconSize, iconSize, 0));
    IDI_UNSAVED =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_UNSAVED_ICON), IMAGE_ICON, iconSize, iconSize, 0));
    EditBackBrush = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    RefreshTitleAndStatus(window_);
    PumpMessages();
}

void FrameTest::DestroyFrame()
{
    if (window_) {
        KillTimer(window_, 1);
        // As the program's clean-up does: no copy, worker or note outlives
        // the window.
        EndRecoveryCopies(window_);
        DestroyWindow(window_);
        window_ = nullptr;
    }
    PumpMessages();
    UnregisterClassW(kMainWindowClass, GetModuleHandleW(nullptr));
    DeleteObject(EditFont);
    DeleteObject(EditBackBrush);
    ImageList_Destroy(ToolbarImages);
    DestroyIcon(IDI_SAVED);
    DestroyIcon(IDI_UNSAVED);
    EditFont = nullptr;
    EditBackBrush = nullptr;
    ToolbarImages = nullptr;
    IDI_SAVED = IDI_UNSAVED = nullptr;
}

HWND FrameTest::edit() const
{
    return GetDlgItem(window_, IDC_EDIT);
}

std::wstring FrameTest::EditText() const
{
    return WindowText(edit());
}

std::wstring FrameTest::EditTextAfterPump() const
{
    PumpMessages();
    return EditText();
}

bool FrameTest::WrapIsOn() const
{
    return !(GetWindowLongPtrW(edit(), GWL_STYLE) & WS_HSCROLL);
}
