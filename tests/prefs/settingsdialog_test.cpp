// The settings dialog in the real frame: slider, live transparency, stored opacity.
#include "prefs/settingsdialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/registry_reset.h"

namespace {

class SettingsDialogTest : public FrameTest {
protected:
    HWND slider() const { return GetDlgItem(SettingsDialog, IDC_OPACITY); }
    // Moves the thumb, notifying the dialog as the slider does.
    void Move(int position, WORD notification)
    {
        SendMessageW(slider(), TBM_SETPOS, TRUE, position);
        SendMessageW(SettingsDialog, WM_HSCROLL, notification, reinterpret_cast<LPARAM>(slider()));
    }
    // The main window's alpha, -1 when not layered (declared only for later systems).
    int Alpha() const
    {
        auto get = reinterpret_cast<BOOL(WINAPI*)(HWND, COLORREF*, BYTE*, DWORD*)>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32"), "GetLayeredWindowAttributes")));
        BYTE alpha = 0;
        DWORD flags = 0, layered = GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_LAYERED;
        return layered && get(window_, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) ? alpha : -1;
    }
    DWORD Stored() const
    {
        DWORD value = 999;
        return StoredOption(L"Opacity", &value) ? value : 999;
    }
};

TEST_F(SettingsDialogTest, SliderShowsTheStoredOpacityAndOnlyADragAppliesBeforeOk)
{
    for (DWORD stored : {0u, 1u, 254u}) {
        StoreOption(L"Opacity", stored);
        ShowSettingsDialog(window_);
        ASSERT_TRUE(IsWindowVisible(SettingsDialog));
        EXPECT_EQ(SendMessageW(slider(), TBM_GETPOS, 0, 0), stored ? LRESULT(stored) : 255) << "stored " << stored;
    }
    Move(100, TB_THUMBTRACK);
    EXPECT_EQ(Alpha(), 100);
    EXPECT_EQ(Stored(), 100u);
    Move(0, TB_THUMBTRACK);
    EXPECT_EQ(Alpha(), 0) << "fully transparent, still layered";
    Move(255, TB_THUMBTRACK);
    EXPECT_EQ(Alpha(), -1) << "opaque means not layered";
    for (WORD notification : {TB_PAGEUP, TB_LINEDOWN, TB_THUMBPOSITION, TB_ENDTRACK})
        Move(50, notification);
    EXPECT_EQ(Stored(), 255u);
    SendMessageW(SettingsDialog, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(IsWindowVisible(SettingsDialog));
    EXPECT_EQ(Alpha(), 50);
    EXPECT_EQ(Stored(), 50u);
}

}  // namespace
