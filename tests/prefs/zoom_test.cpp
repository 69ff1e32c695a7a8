// The zoom: its steps and font heights on their own, and the edit control of
// the real frame keeping its place and its zoom.
#include "prefs/zoom.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/editcontrol.h"
#include "prefs/appearance.h"
#include "res/resource.h"
#include "tests/support/frame_fixture.h"

namespace {

TEST(Zoom, StepsByATenthWithinItsBounds)
{
    std::vector<int> in = {100};
    while (in.back() != NextZoom(in.back(), 1))
        in.push_back(NextZoom(in.back(), 1));
    ASSERT_EQ(in.size(), 41u);
    for (size_t i = 0; i < in.size(); ++i)
        EXPECT_EQ(in[i], 100 + 10 * static_cast<int>(i));
    int out = 100;
    for (int step = 0; step < 20; ++step)
        out = NextZoom(out, -1);
    EXPECT_EQ(out, 10);
    EXPECT_EQ(NextZoom(90, -1), 80);
    EXPECT_EQ(NextZoom(95, -1), 90) << "a zoom off the steps goes to the next one";
    EXPECT_EQ(NextZoom(95, 1), 100);
    EXPECT_EQ(NextZoom(10, 0), 100);
    EXPECT_EQ(NextZoom(500, 0), 100);
}

TEST(Zoom, ScalesTheFontHeightWithItsSignAndNeverToZero)
{
    struct Case {
        LONG height;
        int percent;
        LONG zoomed;
    } cases[] = {
        {-14, 100, -14}, {-14, 120, -17}, {-14, 110, -15}, {-14, 500, -70}, {-14, 10, -1},
        {-3, 10, -1},    {16, 90, 14},    {2, 10, 1},      {-20, 50, -10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ZoomedFontHeight(c.height, c.percent), c.zoomed) << c.height << " at " << c.percent << " %";
}

class ZoomTest : public FrameTest {
protected:
    void TearDown() override
    {
        ZoomEdit(window_, 0);
        FrameTest::TearDown();
    }
    LONG ShownHeight()
    {
        LOGFONTW font = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(edit(), WM_GETFONT, 0, 0)), sizeof(font), &font);
        return font.lfHeight;
    }
    LONG StoredHeight()
    {
        LOGFONTW font = {};
        GetObjectW(EditFont, sizeof(font), &font);
        return font.lfHeight;
    }
};

TEST_F(ZoomTest, ScalesTheShownFontKeepsTheSelectionAndTheTopAndOutlivesAWrapSwitch)
{
    std::wstring text;
    for (int line = 0; line < 300; ++line)
        text += L"line " + std::to_wstring(line) + L"\r\n";
    SetWindowTextW(edit(), text.c_str());
    const LRESULT top = SendMessageW(edit(), EM_LINEINDEX, 100, 0);
    SendMessageW(edit(), EM_LINESCROLL, 0, 100);
    SendMessageW(edit(), EM_SETSEL, top + 3, top + 40);
    const LONG stored = StoredHeight();

    ZoomEdit(window_, 1);
    ZoomEdit(window_, 1);
    EXPECT_EQ(ZoomPercent, 120);
    EXPECT_EQ(ShownHeight(), ZoomedFontHeight(stored, 120));
    EXPECT_EQ(StoredHeight(), stored) << "the stored font is not scaled";
    DWORD start = 0, end = 0;
    SendMessageW(edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, static_cast<DWORD>(top + 3));
    EXPECT_EQ(end, static_cast<DWORD>(top + 40));
    EXPECT_EQ(SendMessageW(edit(), EM_GETFIRSTVISIBLELINE, 0, 0), 100);

    SetWordWrap(window_, !WrapIsOn());
    EXPECT_EQ(ShownHeight(), ZoomedFontHeight(stored, 120)) << "a new control shows the zoom";
    ZoomEdit(window_, 0);
    EXPECT_EQ(ShownHeight(), stored);
}

// The control hands a turn of the wheel with Ctrl to the frame.
TEST_F(ZoomTest, CtrlAndTheWheelZoomInAndOut)
{
    SendMessageW(edit(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), 0);
    EXPECT_EQ(ZoomPercent, 110);
    SendMessageW(edit(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA), 0);
    SendMessageW(edit(), WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA), 0);
    EXPECT_EQ(ZoomPercent, 90);
    SendMessageW(edit(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(ZoomPercent, 90) << "the wheel alone scrolls";
}

}  // namespace
