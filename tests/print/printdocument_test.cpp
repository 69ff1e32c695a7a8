// The print layout as plain values, and real print jobs of the frame's
// document through Wine's PostScript driver, captured to a file.
#include "print/printdocument.h"

#include <winspool.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "app/commands.h"
#include "document/documentstate.h"
#include "res/resource.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/scratch_folder.h"

namespace {

using Rows = std::vector<std::string>;

// Each printed row as "page:row:chars", then the page count; length may stop
// short of the text to show that nothing behind it is read.
Rows Layout(const std::wstring& text, unsigned pageLimit = 63, size_t length = std::wstring::npos)
{
    Rows rows;
    int page = 1;
    LayOutText(
        text.c_str(), std::min(length, text.size()), PageLayout{1, 10, pageLimit},
        [&](unsigned row, const wchar_t* chars, size_t count) {
            rows.push_back(std::to_string(page) + ":" + std::to_string(row) + ":" + std::string(chars, chars + count));
        },
        [&] { ++page; });
    rows.push_back("pages " + std::to_string(page));
    return rows;
}

TEST(PrintLayoutTest, PageGeometryFromTheFontAndThePrintableArea)
{
    PageLayout layout = {};
    // 66 rows of 16 units: header, gap, 61 text rows, three rows left empty.
    ASSERT_EQ(ComputePageLayout(PrintMetrics{14, 2, 8, 85, 66 * 16 + 15}, &layout), 1);
    EXPECT_EQ((std::vector<unsigned>{unsigned(layout.rowPitch), layout.charsPerRow, layout.pageLimit}),
              (std::vector<unsigned>{16, 10, 63}));
    // Metrics that would divide by zero, or leave no character or text row.
    for (PrintMetrics bad :
         {PrintMetrics{0, 0, 0, 0, 0}, PrintMetrics{14, 2, 8, 7, 999}, PrintMetrics{14, 2, 8, 85, 95}})
        EXPECT_EQ(ComputePageLayout(bad, &layout), 0);
}

TEST(PrintLayoutTest, LinesPiecesOfLongLinesAndPages)
{
    EXPECT_EQ(Layout(L""), (Rows{"1:2:", "pages 1"}));
    EXPECT_EQ(Layout(L"abc\r\n"), (Rows{"1:2:abc", "pages 1"}));
    EXPECT_EQ(Layout(L"ab\r\n\r\n\tc\rd\ne"), (Rows{"1:2:ab", "1:3:", "1:4:\tc\rd\ne", "pages 1"}));
    EXPECT_EQ(Layout(L"abcdefghij\r\nabcdefghijk"), (Rows{"1:2:abcdefghij", "1:3:abcdefghij", "1:4:k", "pages 1"}));
    EXPECT_EQ(Layout(L"abcdefghijABCDEFGHIJ\r\n"), (Rows{"1:2:abcdefghij", "1:3:ABCDEFGHIJ", "1:4:", "pages 1"}));
    EXPECT_EQ(Layout(L"abcdefghijABCDEFGHIJ"), (Rows{"1:2:abcdefghij", "1:3:ABCDEFGHIJ", "pages 1"}));
    EXPECT_EQ(Layout(L"   abcdefghijkl\r\n  ab"), (Rows{"1:2:abcdefghij", "1:3:kl", "1:4:  ab", "pages 1"}));
    // Skipped spaces use the line up before its last piece: it is not drawn
    // from the next line or from behind the text.
    EXPECT_EQ(Layout(L"abcdefghij          \r\nnext"), (Rows{"1:2:abcdefghij", "1:3:", "1:4:next", "pages 1"}));
    EXPECT_EQ(Layout(L"abcdefghij    klmnopXXXX", 63, 20), (Rows{"1:2:abcdefghij", "1:3:klmnop", "pages 1"}));
    // Limit 5: text rows 2 to 4 on every page.
    EXPECT_EQ(Layout(L"1\r\n2\r\n3\r\n4", 5), (Rows{"1:2:1", "1:3:2", "1:4:3", "2:2:4", "pages 2"}));
    // Text that ends on the last row still begins a page with only its header.
    EXPECT_EQ(Layout(L"1\r\n2\r\n3", 5), (Rows{"1:2:1", "1:3:2", "1:4:3", "pages 2"}));
    EXPECT_EQ(Layout(L"1\r\n2\r\nabcdefghijklmnopqrst", 5),
              (Rows{"1:2:1", "1:3:2", "1:4:abcdefghij", "2:2:klmnopqrst", "pages 2"}));
}

std::wstring HeaderText(const wchar_t* path, int page)
{
    wchar_t text[kPageHeaderCapacity];
    int length = PageHeaderText(path, page, text);
    EXPECT_EQ(length, static_cast<int>(wcslen(text)));
    return text;
}

TEST(PrintLayoutTest, HeaderNamesTheFileAndThePage)
{
    EXPECT_EQ(HeaderText(L"D:\\docs\\notes.txt", 1), L"notes.txt, page 1");
    EXPECT_EQ(HeaderText(L"Untitled", 12), L"Untitled, page 12");
    // The longest name a path can hold comes out whole.
    std::wstring name(MAX_PATH, L'n');
    EXPECT_EQ(HeaderText(name.c_str(), 3), name + L", page 3");
}

// The text runs of each page of a job from Wine's PostScript driver, which
// draws a run from a moveto glyph by glyph ("/H glyphshow").
std::vector<Rows> PrintedPages(const std::string& postScript)
{
    const std::string named[] = {"zero",  "one",   "two",  "three", "four",  "five",  "six",
                                 "seven", "eight", "nine", "space", "comma", "period"};
    std::vector<Rows> pages;
    std::istringstream lines(postScript);
    for (std::string line; std::getline(lines, line);) {
        size_t glyphEnd = line.find(" glyphshow");
        if (line.rfind("%%Page:", 0) == 0)
            pages.emplace_back(1);
        else if (!pages.empty() && line.find(" moveto") != std::string::npos && !pages.back().back().empty())
            pages.back().emplace_back();  // each run's background box begins with a moveto too
        else if (!pages.empty() && line[0] == '/' && glyphEnd != std::string::npos) {
            std::string glyph = line.substr(1, glyphEnd - 1);
            pages.back().back() +=
                glyph.size() == 1 ? glyph[0] : "0123456789 ,.?"[std::find(named, named + 13, glyph) - named];
        }
    }
    return pages;
}

class PrintDocumentTest : public FrameTest {
protected:
    // Wine's spooler writes the jobs of the queue "PDF" to a file (a Unix path).
    void CaptureJobs(bool on)
    {
        auto toUnix = reinterpret_cast<char*(CDECL*)(const wchar_t*)>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
        char* target = on ? toUnix(output_.c_str()) : nullptr;
        HKEY key = nullptr;
        RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\Printing\\Spooler", &key);
        if (target)
            RegSetValueExA(key, "CUPS:PDF", 0, REG_SZ, reinterpret_cast<BYTE*>(target), lstrlenA(target) + 1);
        else
            RegDeleteValueW(key, L"CUPS:PDF");
        RegCloseKey(key);
        HeapFree(GetProcessHeap(), 0, target);
    }
    void TearDown() override
    {
        CaptureJobs(false);
        FrameTest::TearDown();
    }

    ScratchFolder folder_;
    std::wstring output_ = folder_.Path(L"job.ps");
};

TEST_F(PrintDocumentTest, PrintsEveryLineUnderAHeaderOnEveryPage)
{
    CaptureJobs(true);
    wcscpy(DocumentState.FilePath, L"C:\\docs\\notes.txt");
    Rows lines;
    std::string text;
    for (int i = 1; i <= 100; ++i)
        text += (lines.emplace_back("line " + std::to_string(i))) + "\r\n";
    SetWindowTextA(edit(), text.c_str());

    DialogAnswerer answerer(IDOK);
    EXPECT_EQ(HandleCommand(window_, MAKEWPARAM(IDM_PRINT, 0), 0), 0);
    EXPECT_FALSE(answerer.Finish()) << "a box appeared: " << answerer.text();
    std::vector<Rows> pages = PrintedPages(FileExists(output_) ? ReadBytes(output_) : "");
    ASSERT_GE(pages.size(), 2u) << "no job of several pages; is the queue PDF there (scripts/print-env start)?";
    Rows printed;
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i][0], "notes.txt, page " + std::to_string(i + 1));
        printed.insert(printed.end(), pages[i].begin() + 1, pages[i].end());
    }
    EXPECT_EQ(printed, lines);
}

TEST_F(PrintDocumentTest, WithoutALocalPrinterReportsTheFailureAndPrintsNothing)
{
    CaptureJobs(true);
    // Wine lists the CUPS queues as local printers; taking one off Wine's list
    // lasts until the next process reads CUPS again.
    HANDLE printer = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(L"PDF"), &printer, nullptr));
    DeletePrinter(printer);
    ClosePrinter(printer);

    DialogAnswerer answerer(IDOK);
    EXPECT_EQ(HandleCommand(window_, MAKEWPARAM(IDM_PRINT, 0), 0), 0);
    ASSERT_TRUE(answerer.Finish()) << "no message appeared";
    EXPECT_EQ(answerer.caption() + L": " + answerer.text(), L"Scrivlet v2.0 - Error: Failed to print!");
    EXPECT_FALSE(FileExists(output_));
}

}  // namespace
