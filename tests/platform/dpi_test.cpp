// The sizes the program sets itself, as pure functions of the screen's dpi:
// unchanged at 96, about one and a half times at 144.
#include "platform/dpi.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "app/mainwindow.h"
#include "app/toolbar.h"
#include "prefs/appearance.h"

namespace {

struct DpiSizes {
    int dpi;
    int fromRight[5];  // status part edges, measured from the client's right edge
    int withNote[6];   // the same with the lasting note's part
    int statusIcon;
    int toolbarImage;
    int buttonWidth, buttonHeight;
    int editFontHeight;
    int linkFontHeight;  // the about box's hyperlink
};

const DpiSizes kTable[] = {
    {96, {460, 320, 220, 120, 20}, {680, 540, 440, 340, 240, 20}, 12, 16, 23, 22, 14, 12},
    {120, {575, 400, 275, 150, 25}, {850, 675, 550, 425, 300, 25}, 15, 16, 29, 28, 18, 15},
    {144, {690, 480, 330, 180, 30}, {1020, 810, 660, 510, 360, 30}, 18, 24, 35, 33, 21, 18},
    {192, {920, 640, 440, 240, 40}, {1360, 1080, 880, 680, 480, 40}, 24, 32, 46, 44, 28, 24},
};

// Named by its dpi in the test names.
void PrintTo(const DpiSizes& sizes, std::ostream* out)
{
    *out << sizes.dpi << " dpi";
}

class ScaledSizes : public ::testing::TestWithParam<DpiSizes> {};

TEST_P(ScaledSizes, FollowTheDpiFromTheirSizesAtNinetySix)
{
    const DpiSizes& want = GetParam();
    int edges[kStatusPartsMost];
    ASSERT_EQ(StatusPartEdges(1000, want.dpi, false, false, edges), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(edges[i], 1000 - want.fromRight[i]) << "part " << i;
    ASSERT_EQ(StatusPartEdges(2000, want.dpi, true, false, edges), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(edges[i], 2000 - want.withNote[i]) << "part " << i << " with the note";
    // The zoom's part comes last, and the others move left by its width.
    const int zoomWidth = ScaledPixels(50, want.dpi);
    ASSERT_EQ(StatusPartEdges(2000, want.dpi, true, true, edges), 7);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(edges[i], 2000 - want.withNote[i] - zoomWidth) << "part " << i << " with the note and the zoom";
    EXPECT_EQ(edges[6], 2000 - want.fromRight[4]);
    ASSERT_EQ(StatusPartEdges(1000, want.dpi, false, true, edges), 6);
    EXPECT_EQ(edges[4], 1000 - want.fromRight[4] - zoomWidth);
    EXPECT_EQ(StatusIconSize(want.dpi), want.statusIcon);
    EXPECT_EQ(ToolbarImageSize(want.dpi), want.toolbarImage);
    SIZE button = ToolbarButtonSize(want.dpi);
    EXPECT_EQ(button.cx, want.buttonWidth);
    EXPECT_EQ(button.cy, want.buttonHeight);
    EXPECT_EQ(DefaultEditFontHeight(want.dpi), want.editFontHeight);
    EXPECT_EQ(ScaledPixels(12, want.dpi), want.linkFontHeight);
    EXPECT_EQ(ScaledPixels(0, want.dpi), 0);
}

INSTANTIATE_TEST_SUITE_P(Dpi, ScaledSizes, ::testing::ValuesIn(kTable),
                         [](const ::testing::TestParamInfo<DpiSizes>& info) { return std::to_string(info.param.dpi); });

TEST(ScaledPixels, RoundsHalfAwayFromZeroAsMulDivDoes)
{
    EXPECT_EQ(ScaledPixels(23, 144), 35);  // 34.5
    EXPECT_EQ(ScaledPixels(22, 120), 28);  // 27.5
    EXPECT_EQ(ScaledPixels(-14, 144), -21);
}

TEST(LargestSizeNotAbove, NeverPicksALargerPictureThanTheScaledSize)
{
    const int drawn[] = {16, 24, 32};
    EXPECT_EQ(LargestSizeNotAbove(16, 72, drawn, 3), 16);   // below all: the smallest
    EXPECT_EQ(LargestSizeNotAbove(16, 140, drawn, 3), 16);  // 23.3 rounds to 23
    EXPECT_EQ(LargestSizeNotAbove(16, 143, drawn, 3), 24);  // 23.8 rounds to 24
    EXPECT_EQ(LargestSizeNotAbove(16, 168, drawn, 3), 24);  // 28
    EXPECT_EQ(LargestSizeNotAbove(16, 288, drawn, 3), 32);  // 48
}

TEST(ScreenDpi, IsTheScreensLogicalPixels)
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(ScreenDpi(), dpi);
}

}  // namespace
