#include "print/printpage.h"

#include <algorithm>

namespace {

void DrawPageLine(HDC dc, const PrintLayout& layout, int top, const PageLine& line)
{
    struct {
        const std::wstring& text;
        int share;  // of the room the text leaves: none, half or all
    } parts[] = {{line.left, 0}, {line.centre, 1}, {line.right, 2}};
    for (const auto& part : parts) {
        if (part.text.empty())
            continue;
        int length = static_cast<int>(part.text.size());
        SIZE extent = {};
        GetTextExtentPoint32W(dc, part.text.c_str(), length, &extent);
        int x = layout.textLeft + (layout.textWidth - static_cast<int>(extent.cx)) * part.share / 2;
        TextOutW(dc, x, top, part.text.c_str(), length);
    }
}

}  // namespace

void DrawPage(HDC dc, const wchar_t* text, const PrintLayout& layout, const PrintFont& font, size_t page,
              const PageLine& header, const PageLine& footer)
{
    DrawPageLine(dc, layout, layout.headerTop, header);
    size_t first = page * layout.rowsPerPage;
    size_t last = std::min(first + layout.rowsPerPage, layout.rows.size());
    for (size_t row = first; row < last; ++row) {
        int top = layout.textTop + static_cast<int>(row - first) * layout.lineHeight;
        for (const PrintRun& run : RowRuns(text, layout.rows[row], font)) {
            if (run.length > 0)
                TextOutW(dc, layout.textLeft + run.x, top, text + run.start, static_cast<int>(run.length));
        }
    }
    DrawPageLine(dc, layout, layout.footerTop, footer);
}
