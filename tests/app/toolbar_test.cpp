// The toolbar as the frame builds it: buttons, separators, pictures.
#include "app/toolbar.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "res/resource.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/wait.h"

namespace {

class ToolbarTest : public FrameTest {
protected:
    HWND toolbar() const { return GetDlgItem(window_, IDC_TOOLBAR); }
    TBBUTTON Button(int position) const
    {
        TBBUTTON button = {};
        button.idCommand = -1;
        SendMessageW(toolbar(), TB_GETBUTTON, position, reinterpret_cast<LPARAM>(&button));
        return button;
    }
};

TEST_F(ToolbarTest, NineButtonsInThreeGroupsWithNarrowSeparators)
{
    struct Expected {
        int image;
        int command;
        BYTE style;
    } expected[] = {
        {0, IDM_NEW, TBSTYLE_BUTTON},
        {1, IDM_OPEN, TBSTYLE_BUTTON},
        {2, IDM_SAVE, TBSTYLE_BUTTON},
        {3, IDM_PRINT, TBSTYLE_BUTTON},
        {3, 0, TBSTYLE_SEP},
        {4, IDM_CUT, TBSTYLE_BUTTON},
        {5, IDM_COPY, TBSTYLE_BUTTON},
        {6, IDM_PASTE, TBSTYLE_BUTTON},
        {3, 0, TBSTYLE_SEP},
        {7, IDM_FINDREPLACE, TBSTYLE_BUTTON},
        {8, IDM_STAYONTOP, TBSTYLE_BUTTON},
    };
    ASSERT_EQ(SendMessageW(toolbar(), TB_BUTTONCOUNT, 0, 0), 11);
    for (int position = 0; position < 11; ++position) {
        TBBUTTON button = Button(position);
        EXPECT_EQ(button.iBitmap, expected[position].image) << "position " << position;
        EXPECT_EQ(button.idCommand, expected[position].command) << "position " << position;
        EXPECT_EQ(button.fsStyle, expected[position].style) << "position " << position;
        EXPECT_EQ(button.dwData, 0u) << "position " << position;
        if (button.fsStyle == TBSTYLE_SEP) {
            RECT rect = {};
            SendMessageW(toolbar(), TB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&rect));
            EXPECT_EQ(rect.right - rect.left, 3) << "separator at " << position;
        } else {
            EXPECT_EQ(button.fsState, TBSTATE_ENABLED) << "position " << position;
            EXPECT_EQ(button.iString, 0) << "position " << position;
        }
    }
}

TEST_F(ToolbarTest, ButtonsStayEnabledAndCarryNoText)
{
    const int commands[] = {IDM_NEW,  IDM_OPEN,  IDM_SAVE,        IDM_PRINT,    IDM_CUT,
                            IDM_COPY, IDM_PASTE, IDM_FINDREPLACE, IDM_STAYONTOP};
    // Nothing selected, an empty document and an empty clipboard change nothing.
    if (OpenClipboard(window_)) {
        EmptyClipboard();
        CloseClipboard();
    }
    SendMessageW(window_, WM_COMMAND, IDM_STAYONTOP, 0);
    PumpMessages();
    for (int command : commands) {
        EXPECT_NE(SendMessageW(toolbar(), TB_ISBUTTONENABLED, command, 0), 0) << "command " << command;
        wchar_t text[64] = L"unchanged";
        LRESULT length = SendMessageW(toolbar(), TB_GETBUTTONTEXTW, command, reinterpret_cast<LPARAM>(text));
        EXPECT_TRUE(length <= 0 || text[0] == L'\0') << "command " << command << " has a label";
    }
}

TEST_F(ToolbarTest, IsAFlatVisibleStripWithTooltipStyle)
{
    LONG_PTR style = GetWindowLongPtrW(toolbar(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(style & TBSTYLE_FLAT);
    EXPECT_TRUE(style & TBSTYLE_TOOLTIPS);
    EXPECT_FALSE(style & TBSTYLE_WRAPABLE);
    EXPECT_EQ(GetWindowLongPtrW(toolbar(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
}

TEST_F(ToolbarTest, PicturesAreNineSixteenPixelImages)
{
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar(), TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(images, ToolbarImages);
    EXPECT_EQ(ImageList_GetImageCount(images), 9);
    int width = 0, height = 0;
    ASSERT_TRUE(ImageList_GetIconSize(images, &width, &height));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
    // Drawn over a colour no picture uses, every picture leaves marks.
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, canvas);
    const COLORREF background = RGB(1, 254, 3);
    HBRUSH brush = CreateSolidBrush(background);
    const RECT whole = {0, 0, 16, 16};
    for (int index = 0; index < 9; ++index) {
        FillRect(dc, &whole, brush);
        ASSERT_TRUE(ImageList_Draw(images, index, dc, 0, 0, ILD_NORMAL));
        int marked = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                marked += GetPixel(dc, x, y) != background;
        EXPECT_GT(marked, 16) << "image " << index << " is (nearly) empty";
        EXPECT_LT(marked, 256) << "image " << index << " has no see-through pixel";
    }
    DeleteObject(brush);
    SelectObject(dc, previous);
    DeleteObject(canvas);
    DeleteDC(dc);
}

}  // namespace
