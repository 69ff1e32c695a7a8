#include "print/printlayout.h"

#include <algorithm>

namespace {

bool IsBlank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

bool IsLineEnd(wchar_t c)
{
    return c == L'\r' || c == L'\n';
}

bool IsLowSurrogate(wchar_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

int Advance(const PrintFont& font, wchar_t c, int x)
{
    if (c == L'\t' && font.tabWidth > 0)
        return font.tabWidth - x % font.tabWidth;
    size_t unit = static_cast<size_t>(c);
    return unit < font.widths.size() ? font.widths[unit] : 0;
}

// Where the row that begins at start ends: at the line's end, or where the
// line wraps at width.
size_t RowEnd(const wchar_t* text, size_t start, size_t end, const PrintFont& font, int width)
{
    int x = 0;
    size_t afterBlanks = start;  // where the row may end between words
    size_t i = start;
    for (; i < end && !IsLineEnd(text[i]); ++i) {
        wchar_t c = text[i];
        int advance = Advance(font, c, x);
        if (x + advance > width && i > start) {
            // A blank at the edge ends its row there, unseen; a word goes to
            // the next row whole when an earlier one is on this row.
            if (IsBlank(c))
                return i + 1;
            if (afterBlanks > start)
                return afterBlanks;
            if (IsLowSurrogate(c) && i - 1 > start)
                return i - 1;
            return i;
        }
        x += advance;
        if (IsBlank(c) && i + 1 < end && !IsBlank(text[i + 1]) && !IsLineEnd(text[i + 1]))
            afterBlanks = i + 1;
    }
    return i;
}

}  // namespace

PrintLayout BeginLayout(size_t begin, size_t end, const PrintFont& font, const PaperGeometry& paper)
{
    PrintLayout layout = {};
    int printableRight = paper.offsetX + paper.printableWidth;
    int printableBottom = paper.offsetY + paper.printableHeight;
    int left = std::max(paper.marginLeft, paper.offsetX);
    int top = std::max(paper.marginTop, paper.offsetY);
    int right = std::min(paper.paperWidth - paper.marginRight, printableRight);
    int bottom = std::min(paper.paperHeight - paper.marginBottom, printableBottom);
    layout.textLeft = left - paper.offsetX;
    layout.textTop = top - paper.offsetY;
    layout.textWidth = right - left;
    layout.lineHeight = font.lineHeight;
    layout.tabWidth = font.tabWidth;
    // Header and footer sit half-way into their margins, inside the printable area.
    int header = std::max(paper.marginTop / 2 - font.lineHeight / 2, paper.offsetY);
    int footer =
        std::min(paper.paperHeight - paper.marginBottom / 2 - font.lineHeight / 2, printableBottom - font.lineHeight);
    layout.headerTop = header - paper.offsetY;
    layout.footerTop = footer - paper.offsetY;
    layout.end = end;
    layout.next = begin;
    if (font.lineHeight <= 0 || layout.textWidth <= 0 || bottom - top < font.lineHeight)
        layout.complete = true;
    else
        layout.rowsPerPage = static_cast<size_t>((bottom - top) / font.lineHeight);
    return layout;
}

void LayOutRows(const wchar_t* text, const PrintFont& font, size_t rowCount, PrintLayout* layout)
{
    size_t next = layout->next;
    const size_t end = layout->end;
    while (!layout->complete && layout->rows.size() < rowCount) {
        size_t rowEnd = RowEnd(text, next, end, font, layout->textWidth);
        layout->rows.push_back(PrintRow{next, rowEnd - next});
        next = rowEnd;
        if (next < end && text[next] == L'\r' && next + 1 < end && text[next + 1] == L'\n')
            ++next;
        if (next < end && IsLineEnd(text[next]))
            ++next;
        // A line end at the end of the range adds no row.
        layout->complete = next >= end;
    }
    layout->next = next;
}

PrintLayout LayOutPages(const wchar_t* text, size_t begin, size_t end, const PrintFont& font,
                        const PaperGeometry& paper)
{
    PrintLayout layout = BeginLayout(begin, end, font, paper);
    LayOutRows(text, font, static_cast<size_t>(-1), &layout);
    return layout;
}

size_t PageCount(const PrintLayout& layout)
{
    if (layout.rowsPerPage == 0)
        return 0;
    return (layout.rows.size() + layout.rowsPerPage - 1) / layout.rowsPerPage;
}

std::vector<PrintRun> RowRuns(const wchar_t* text, const PrintRow& row, const PrintFont& font)
{
    std::vector<PrintRun> runs(1, PrintRun{row.start, 0, 0});
    int x = 0;
    for (size_t i = row.start; i < row.start + row.length; ++i) {
        x += Advance(font, text[i], x);
        if (text[i] == L'\t')
            runs.push_back(PrintRun{i + 1, 0, x});
        else
            ++runs.back().length;
    }
    return runs;
}

std::vector<size_t> PagesToSend(size_t pageCount, size_t fromPage, size_t toPage, size_t copies, bool collate)
{
    std::vector<size_t> pages;
    size_t first = std::max<size_t>(fromPage, 1) - 1;
    size_t last = std::min(toPage, pageCount);
    size_t outer = collate ? copies : 1;
    size_t inner = collate ? 1 : copies;
    for (size_t copy = 0; copy < outer; ++copy) {
        for (size_t page = first; page < last; ++page)
            pages.insert(pages.end(), inner, page);
    }
    return pages;
}
