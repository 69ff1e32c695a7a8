// Real print jobs of the frame's document through Wine's PostScript driver,
// captured to a file.
#include "print/printdocument.h"

#include <winspool.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

#include "app/commands.h"
#include "document/documentstate.h"
#include "prefs/appearance.h"
#include "res/resource.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/scratch_folder.h"

namespace {

using Rows = std::vector<std::string>;

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
    void SetUp() override
    {
        FrameTest::SetUp();
        EditFont = CreateDefaultEditFont();
    }
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
