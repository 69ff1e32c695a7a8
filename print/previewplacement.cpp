#include "print/previewplacement.h"

#include <algorithm>

namespace {

// Where a side of length size starts in an area of length room: centred
// when it fits, else moved by scroll (kept inside the content).
int Start(int size, int room, int gap, int scroll)
{
    if (size + 2 * gap <= room)
        return (room - size) / 2;
    int largest = size + 2 * gap - room;
    return gap - std::min(std::max(scroll, 0), largest);
}

}  // namespace

PreviewPlacement PlacePreviewPage(const PreviewView& view)
{
    PreviewPlacement placement = {};
    if (view.paperWidth <= 0 || view.paperHeight <= 0 || view.printerDpiX <= 0 || view.printerDpiY <= 0)
        return placement;
    // The page's size on the screen at 100 %, in pixels.
    double width = static_cast<double>(view.paperWidth) * view.screenDpi / view.printerDpiX;
    double height = static_cast<double>(view.paperHeight) * view.screenDpi / view.printerDpiY;
    if (!view.actualSize) {
        double scale =
            std::min((view.clientWidth - 2.0 * view.gap) / width, (view.clientHeight - 2.0 * view.gap) / height);
        scale = std::max(scale, 0.0);
        width *= scale;
        height *= scale;
    }
    int pageWidth = std::max(static_cast<int>(width + 0.5), 1);
    int pageHeight = std::max(static_cast<int>(height + 0.5), 1);
    int left = Start(pageWidth, view.clientWidth, view.gap, view.actualSize ? view.scrollX : 0);
    int top = Start(pageHeight, view.clientHeight, view.gap, view.actualSize ? view.scrollY : 0);
    placement.page = RECT{left, top, left + pageWidth, top + pageHeight};
    placement.contentWidth = pageWidth + 2 * view.gap;
    placement.contentHeight = pageHeight + 2 * view.gap;
    return placement;
}
