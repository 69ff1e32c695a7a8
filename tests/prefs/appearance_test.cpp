// The colour and font commands in the real frame, their dialogs driven by a user thread.
#include "prefs/appearance.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include "app/commands.h"
#include "prefs/settings.h"
#include "res/resource.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/test_thread.h"
#include "tests/support/wait.h"

namespace {

// "type:bytes" of a value under the options key, read past the program.
std::string Stored(const wchar_t* name)
{
    BYTE data[256];
    DWORD size = sizeof(data), type = REG_NONE;
    LONG result = SHGetValueW(HKEY_LOCAL_MACHINE, kOptionsKey, name, &type, data, &size);
    return result ? "" : std::to_string(type) + ":" + std::string(reinterpret_cast<char*>(data), size);
}

template <class T>
std::string Binary(const T& value)
{
    return std::to_string(REG_BINARY) + ":" + std::string(reinterpret_cast<const char*>(&value), sizeof(value));
}

class AppearanceTest : public FrameTest {
protected:
    // A user notes the starting red/green/blue, types rgb, adds it to the custom colours, OK.
    std::wstring ChooseColor(WORD command, std::array<const wchar_t*, 3> rgb)
    {
        std::wstring initial;
        TestThread user([&] {
            const int boxes[3] = {706, 707, 708}, addToCustomColors = 712;
            HWND dialog = nullptr;
            for (DWORD start = GetTickCount(); !dialog && GetTickCount() - start < kDefaultWaitMs; Sleep(10))
                dialog = FindProcessDialog(GetCurrentProcessId());
            for (int i = 0; dialog && i < 3; ++i) {
                initial += WindowText(GetDlgItem(dialog, boxes[i])) + L" ";
                SetDlgItemTextW(dialog, boxes[i], rgb[i]);
            }
            for (int button : {addToCustomColors, IDOK})
                SendMessageTimeoutW(GetDlgItem(dialog, button), BM_CLICK, 0, 0, SMTO_NORMAL, kDefaultWaitMs, nullptr);
        });
        HandleCommand(window_, command, 0);
        user.join();
        return initial;
    }
};

TEST_F(AppearanceTest, ChosenColorsAreStoredEachDialogKeepingItsOwnCustomColors)
{
    const COLORREF fore = RGB(10, 20, 30), storedBack = RGB(1, 2, 3), back = RGB(40, 50, 60);
    EXPECT_EQ(ChooseColor(IDM_FORECOLOR, {L"10", L"20", L"30"}), L"0 0 0 ") << "black when none is stored";
    EXPECT_EQ(Stored(L"ForeColor"), Binary(fore));
    SetSettingBinary(L"BackColor", &storedBack, 4);
    HBRUSH before = EditBackBrush;
    EXPECT_EQ(ChooseColor(IDM_BACKCOLOR, {L"40", L"50", L"60"}), L"1 2 3 ");
    EXPECT_EQ(Stored(L"BackColor"), Binary(back));
    EXPECT_EQ(ForeCustomColors[0], fore);
    EXPECT_EQ(BackCustomColors[0], back);
    LOGBRUSH brush = {};
    GetObjectW(EditBackBrush, sizeof(brush), &brush);
    EXPECT_EQ(brush.lbColor, back);
    EXPECT_EQ(GetObjectType(before), 0u) << "the old brush is deleted";
}

// The face the system shows for font, which differs from its name when the
// name is substituted (Arial, missing under Wine, shows as another face).
std::wstring ShownFace(HWND window, HFONT font)
{
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return face;
}

TEST_F(AppearanceTest, OkInTheFontDialogKeepsTheShownFaceAndSizeAndStoresThem)
{
    HFONT old = EditFont;
    const std::wstring shownBefore = ShownFace(edit(), old);
    LOGFONTW before;
    ASSERT_EQ(GetObjectW(old, sizeof(before), &before), 92);
    DialogAnswerer answerer(IDOK);
    HandleCommand(window_, IDM_FONT, 0);
    ASSERT_TRUE(answerer.Finish()) << "no font dialog";
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(edit(), WM_GETFONT, 0, 0)), EditFont);
    EXPECT_EQ(GetObjectType(old), 0u) << "the old font is deleted";
    LOGFONTW font;
    ASSERT_EQ(GetObjectW(EditFont, sizeof(font), &font), 92);
    EXPECT_EQ(Stored(L"Font"), Binary(font));
    EXPECT_EQ(ShownFace(edit(), EditFont), shownBefore);
    // The dialog returns its size in whole points.
    EXPECT_NEAR(abs(font.lfHeight), abs(before.lfHeight), 2);
}

}  // namespace
