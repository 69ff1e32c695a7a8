// The print layout and the header and footer codes as plain values.
#include "print/printlayout.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "print/pagecodes.h"

namespace {

// Every unit 10 wide but "W", 20; tab stops every 40; rows 10 high.
PrintFont TestFont()
{
    PrintFont font = {10, 40, std::vector<int>(0x10000, 10)};
    font.widths[L'W'] = 20;
    return font;
}

// A sheet whose printable area is the paper, with margins of 10 and room
// for columns characters in rows rows.
PaperGeometry Paper(int columns, int rows)
{
    return PaperGeometry{columns * 10 + 20, rows * 10 + 20, 0, 0, columns * 10 + 20, rows * 10 + 20, 10, 10, 10, 10};
}

// The pages as "row|row / row", each tab shown as the x where the next run
// begins, "<40>".
std::wstring Pages(const std::wstring& text, const PrintLayout& layout, const PrintFont& font)
{
    std::wstring pages;
    for (size_t i = 0; i < layout.rows.size(); ++i) {
        if (i > 0)
            pages += i % layout.rowsPerPage == 0 ? L" / " : L"|";
        std::vector<PrintRun> runs = RowRuns(text.c_str(), layout.rows[i], font);
        for (size_t r = 0; r < runs.size(); ++r) {
            if (r > 0)
                pages += L"<" + std::to_wstring(runs[r].x) + L">";
            pages += text.substr(runs[r].start, runs[r].length);
        }
    }
    return pages;
}

struct LayoutCase {
    const wchar_t* name;
    std::wstring text;
    int columns;
    int rows;
    size_t begin;  // the range laid out; npos for the end of the text
    size_t end;
    std::wstring pages;
};

const size_t kEnd = std::wstring::npos;

TEST(PrintLayoutTest, RowsAndPagesOfTexts)
{
    const std::wstring pair = L"\xD83D\xDE00";  // one character, two units
    const LayoutCase cases[] = {
        {L"empty document: one empty row", L"", 10, 5, 0, kEnd, L""},
        {L"a final line end adds no row", L"abc\r\n", 10, 5, 0, kEnd, L"abc"},
        {L"empty lines keep their rows", L"ab\r\n\r\ncd", 10, 5, 0, kEnd, L"ab||cd"},
        {L"every line end ends a line", L"a\rb\nc\r\nd\n\re", 10, 9, 0, kEnd, L"a|b|c|d||e"},
        {L"a line that fills its row", L"abcdefghij", 10, 5, 0, kEnd, L"abcdefghij"},
        {L"wrapped between words", L"one two three four", 10, 5, 0, kEnd, L"one two |three four"},
        {L"blanks stay with the word before", L"abc  defghij", 10, 5, 0, kEnd, L"abc  |defghij"},
        {L"a blank at the edge ends its row", L"abcdefghij klm", 10, 5, 0, kEnd, L"abcdefghij |klm"},
        {L"a word longer than a row breaks", L"abcdefghijklmnopqrstuvw xy", 10, 5, 0, kEnd,
         L"abcdefghij|klmnopqrst|uvw xy"},
        {L"a short word before a long one", L"ab cdefghijklmn", 10, 5, 0, kEnd, L"ab |cdefghijkl|mn"},
        {L"wide letters take their width", L"WWWWWW", 10, 5, 0, kEnd, L"WWWWW|W"},
        {L"leading spaces are kept", L"  ab\r\n    cd", 10, 5, 0, kEnd, L"  ab|    cd"},
        {L"leading spaces of a wrapped line", L"   abcdefghijkl", 10, 5, 0, kEnd, L"   |abcdefghij|kl"},
        {L"tabs go to the next stop", L"a\tb\t\tc", 20, 5, 0, kEnd, L"a<40>b<80><120>c"},
        {L"a tab past the row ends it", L"abcdefghi\tx", 10, 5, 0, kEnd, L"abcdefghi<120>|x"},
        {L"a pair of surrogates stays whole", L"abcdefghi" + pair + L"j", 10, 5, 0, kEnd, L"abcdefghi|" + pair + L"j"},
        {L"a page that ends exactly full", L"1\r\n2\r\n3\r\n", 10, 3, 0, kEnd, L"1|2|3"},
        {L"rows go on to the next page", L"1\r\n2\r\n3\r\n4", 10, 3, 0, kEnd, L"1|2|3 / 4"},
        {L"a wrapped line across pages", L"1\r\n2\r\nabcdefghijklmnopqrst", 10, 3, 0, kEnd,
         L"1|2|abcdefghij / klmnopqrst"},
        {L"the selection alone", L"first\r\nsecond third\r\nlast", 6, 5, 9, 20, L"cond |third"},
        {L"a selection of nothing", L"text", 10, 5, 2, 2, L""},
    };
    for (const LayoutCase& c : cases) {
        PrintFont font = TestFont();
        size_t end = c.end == kEnd ? c.text.size() : c.end;
        PrintLayout layout = LayOutPages(c.text.c_str(), c.begin, end, font, Paper(c.columns, c.rows));
        ASSERT_EQ(layout.rowsPerPage, static_cast<size_t>(c.rows)) << c.name;
        EXPECT_EQ(Pages(c.text, layout, font), c.pages) << c.name;
        // Every character is on one row, once, in order.
        size_t next = c.begin;
        for (const PrintRow& row : layout.rows) {
            EXPECT_GE(row.start, next) << c.name;
            for (size_t i = next; i < row.start; ++i)
                EXPECT_TRUE(c.text[i] == L'\r' || c.text[i] == L'\n') << c.name << " skips " << i;
            next = row.start + row.length;
        }
        for (size_t i = next; i < end; ++i)
            EXPECT_TRUE(c.text[i] == L'\r' || c.text[i] == L'\n') << c.name << " leaves " << i;
        // Laid out a row at a time, as the preview does, the rows are the same.
        PrintLayout stepped = BeginLayout(c.begin, end, font, Paper(c.columns, c.rows));
        while (!stepped.complete)
            LayOutRows(c.text.c_str(), font, stepped.rows.size() + 1, &stepped);
        EXPECT_EQ(Pages(c.text, stepped, font), c.pages) << c.name << ", a row at a time";
    }
}

TEST(PrintLayoutTest, MarginsAreMeasuredFromThePapersEdge)
{
    // Printable from (30, 40) on a sheet of 1000 x 1400, margins 100, 200,
    // 150, 250: text at (70, 160), 750 wide, rows of 10 down to 1150.
    PaperGeometry paper = {1000, 1400, 30, 40, 940, 1320, 100, 200, 150, 250};
    PrintLayout layout = LayOutPages(L"x", 0, 1, TestFont(), paper);
    EXPECT_EQ((std::vector<int>{layout.textLeft, layout.textTop, layout.textWidth, int(layout.rowsPerPage),
                                layout.headerTop, layout.footerTop}),
              (std::vector<int>{70, 160, 750, 95, 55, 1230}));
    // Margins inside the unprintable edge give way to it; no room, no rows.
    paper.marginLeft = paper.marginTop = paper.marginBottom = 0;
    layout = LayOutPages(L"x", 0, 1, TestFont(), paper);
    EXPECT_EQ((std::vector<int>{layout.textLeft, layout.textTop, layout.headerTop}), (std::vector<int>{0, 0, 0}));
    paper.marginLeft = 900;
    EXPECT_EQ(LayOutPages(L"x", 0, 1, TestFont(), paper).rowsPerPage, 0u);
}

struct SendCase {
    size_t pageCount;
    size_t from;
    size_t to;
    size_t copies;
    bool collate;
    std::vector<size_t> pages;
};

TEST(PrintLayoutTest, PagesSentForRangesAndCopies)
{
    const SendCase cases[] = {
        {3, 1, 3, 1, false, {0, 1, 2}},    {5, 2, 3, 1, false, {1, 2}},
        {3, 2, 9, 1, false, {1, 2}},       // a range past the last page
        {3, 5, 9, 1, false, {}},           // a range after it
        {2, 1, 2, 2, true, {0, 1, 0, 1}},  // copies the driver cannot make
        {2, 1, 2, 2, false, {0, 0, 1, 1}}, {1, 0, 1, 1, false, {0}},
    };
    for (const SendCase& c : cases)
        EXPECT_EQ(PagesToSend(c.pageCount, c.from, c.to, c.copies, c.collate), c.pages)
            << c.pageCount << " pages, " << c.from << "-" << c.to << " x" << c.copies << (c.collate ? " collated" : "");
}

struct CodeCase {
    std::wstring pattern;
    std::wstring left;
    std::wstring centre;
    std::wstring right;
};

TEST(PageCodesTest, CodesAreReplacedAndAligned)
{
    const PageValues values = {L"notes.txt", L"10/12/2026", L"12:30", 3, 12};
    const CodeCase cases[] = {
        {kDefaultHeader, L"", L"notes.txt, page 3", L""},
        {kDefaultFooter, L"", L"", L""},
        {L"&f &p of &P", L"notes.txt 3 of 12", L"", L""},
        {L"&lleft&cmiddle&rright", L"left", L"middle", L"right"},
        {L"&d&r&t", L"10/12/2026", L"", L"12:30"},
        {L"before &c after &l more", L"before  more", L" after ", L""},
        {L"A && B &&p", L"A & B &p", L"", L""},
        {L"&x &L 100%& &", L"&x &L 100%& &", L"", L""},
    };
    for (const CodeCase& c : cases) {
        PageLine line = ExpandPageCodes(c.pattern, values);
        EXPECT_EQ((std::vector<std::wstring>{line.left, line.centre, line.right}),
                  (std::vector<std::wstring>{c.left, c.centre, c.right}))
            << std::string(c.pattern.begin(), c.pattern.end());
    }
    // An untitled document and the longest name a path can hold.
    std::wstring name(MAX_PATH, L'n');
    EXPECT_EQ(ExpandPageCodes(kDefaultHeader, PageValues{name, L"", L"", 1, 1}).centre, name + L", page 1");
    EXPECT_EQ(ExpandPageCodes(kDefaultHeader, PageValues{L"Untitled", L"", L"", 12, 12}).centre, L"Untitled, page 12");
    // The count before the layout has reached the end.
    EXPECT_EQ(ExpandPageCodes(L"&p of &P", PageValues{L"", L"", L"", 3, kPageCountUnknown}).left, L"3 of ");
}

}  // namespace
