// Where the preview puts the page: fitted whole, or at 100 % and scrolled.
#include "print/previewplacement.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct PlacementCase {
    const char* name;
    int clientWidth;
    int clientHeight;
    bool actualSize;
    int scrollX;
    int scrollY;
    std::vector<int> page;  // left, top, right, bottom, contentWidth, contentHeight
};

TEST(PreviewPlacementTest, PageFittedOrAtItsSizeOnPaper)
{
    // A sheet of 8 x 10 inches at 600 dpi, on a screen of 96 dpi: 768 x 960
    // pixels at 100 %; gaps of 10.
    const PlacementCase cases[] = {
        {"whole page, the height limits", 1000, 500, false, 0, 0, {308, 10, 692, 490, 404, 500}},
        {"whole page, the width limits", 420, 1000, false, 0, 0, {10, 250, 410, 750, 420, 520}},
        {"whole page ignores the scroll", 1000, 500, false, 50, 50, {308, 10, 692, 490, 404, 500}},
        {"100 %, room around it", 1000, 1000, true, 0, 0, {116, 20, 884, 980, 788, 980}},
        {"100 %, scrolled down", 1000, 500, true, 0, 100, {116, -90, 884, 870, 788, 980}},
        {"100 %, scrolled past the end", 500, 500, true, 900, 900, {-278, -470, 490, 490, 788, 980}},
        {"100 %, scrolled before the start", 500, 500, true, -5, -5, {10, 10, 778, 970, 788, 980}},
    };
    for (const PlacementCase& c : cases) {
        PreviewPlacement placed = PlacePreviewPage(PreviewView{4800, 6000, 600, 600, 96, c.clientWidth, c.clientHeight,
                                                               10, c.actualSize, c.scrollX, c.scrollY});
        EXPECT_EQ((std::vector<int>{placed.page.left, placed.page.top, placed.page.right, placed.page.bottom,
                                    placed.contentWidth, placed.contentHeight}),
                  c.page)
            << c.name;
    }
}

}  // namespace
