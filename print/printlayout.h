// How a document is set on pages: the rows of each page and where they go, a
// pure function of the text, the printer font's widths, the paper and the
// margins. The printed pages, the preview and the page count all come from it.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The font the text is set in, measured on the device, in its units.
struct PrintFont {
    int lineHeight;           // tmHeight + tmExternalLeading
    int tabWidth;             // the edit control's stops: 8 average widths
    std::vector<int> widths;  // the advance of each UTF-16 unit; units past its end take 0
};

// The sheet in device units: its size, where the printable area begins on it
// (PHYSICALOFFSETX/Y) and how large that area is (HORZRES/VERTRES), and the
// margins, measured from the paper's edge.
struct PaperGeometry {
    int paperWidth;
    int paperHeight;
    int offsetX;
    int offsetY;
    int printableWidth;
    int printableHeight;
    int marginLeft;
    int marginTop;
    int marginRight;
    int marginBottom;
};

// A row: the characters from start (an index into the whole text) that it
// holds, without the line end that may follow them.
struct PrintRow {
    size_t start;
    size_t length;
};

// Positions are in the printable area's coordinates, where a device context
// draws. Page p holds rows p * rowsPerPage up to the next page's first.
struct PrintLayout {
    int textLeft;
    int textTop;
    int textWidth;
    int lineHeight;
    int tabWidth;
    int headerTop;
    int footerTop;
    size_t rowsPerPage;  // 0: the margins leave no room for a row
    std::vector<PrintRow> rows;
    // How far the rows reach: the text range laid out, where the next row
    // begins, and whether every row of the range is there.
    size_t end;
    size_t next;
    bool complete;
};

// The geometry of the pages of text[begin, end) with no rows laid out yet.
PrintLayout BeginLayout(size_t begin, size_t end, const PrintFont& font, const PaperGeometry& paper);

// Lays out further rows until the layout holds rowCount of them or is
// complete, so a page can be shown before the text after it is laid out.
// Every line end (CR LF, a lone CR, a lone LF) ends a line; the text after
// the last one is a line when it is not empty, and an empty range is one
// empty row. Lines wrap at the text width after the blanks between words; a
// word longer than a row breaks where it must, and every row holds at least
// one character, so each character is on exactly one row.
void LayOutRows(const wchar_t* text, const PrintFont& font, size_t rowCount, PrintLayout* layout);

// Lays out text[begin, end) whole, so a selection is laid out as it stands
// in the text.
PrintLayout LayOutPages(const wchar_t* text, size_t begin, size_t end, const PrintFont& font,
                        const PaperGeometry& paper);

// The pages of a complete layout.
size_t PageCount(const PrintLayout& layout);

// A run of a row drawn with one TextOutW: a row is cut at its tabs, and the
// run after a tab begins at the next tab stop.
struct PrintRun {
    size_t start;
    size_t length;
    int x;  // from the text's left edge
};

std::vector<PrintRun> RowRuns(const wchar_t* text, const PrintRow& row, const PrintFont& font);

// The pages a job sends, as indexes into the layout, in order: pages
// fromPage to toPage (counted from 1, cut to the pages there are), copies
// times, each copy whole when collated, else each page copies times in turn.
std::vector<size_t> PagesToSend(size_t pageCount, size_t fromPage, size_t toPage, size_t copies, bool collate);
