// Real print jobs of the frame's document through Wine's PostScript driver,
// captured to a file.
#include "print/printdocument.h"

#include <dlgs.h>
#include <winspool.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "document/documentstate.h"
#include "prefs/settings.h"
#include "print/pagesetup.h"
#include "res/resource.h"
#include "tests/support/print_fixture.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/test_thread.h"
#include "tests/support/wait.h"

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

class PrintDocumentTest : public PrintTest {
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
        PrintTest::TearDown();
    }

    // Runs the Print command with a stand-in user, who makes choices in the
    // Print dialog and presses button there, and presses OK in every box;
    // returns the boxes' texts.
    std::vector<std::wstring> Print(int button, const std::function<void(HWND)>& choose = nullptr)
    {
        std::vector<std::wstring> boxes;
        bool printDialogSeen = false;
        std::atomic<bool> stop{false};
        TestThread user([&] {
            HWND answered = nullptr;
            WaitUntil(
                [&] {
                    HWND dialog = FindProcessDialog(GetCurrentProcessId());
                    if (!dialog || dialog == answered)
                        return stop.load();
                    answered = dialog;
                    if (HWND page = GetDlgItem(dialog, IDC_PROGRESSTEXT)) {
                        progress_ = WindowText(page);
                        if (cancelProgress_)
                            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                        return false;
                    }
                    std::wstring text = MessageBoxText(dialog);
                    if (!text.empty()) {
                        boxes.push_back(text);
                        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                        return false;
                    }
                    printDialogSeen = true;
                    if (choose)
                        choose(dialog);
                    PostMessageW(dialog, WM_COMMAND, button, 0);
                    return false;
                },
                60000);
        });
        EXPECT_EQ(HandleCommand(window_, MAKEWPARAM(IDM_PRINT, 0), 0), 0);
        stop = true;
        user.join();
        EXPECT_TRUE(printDialogSeen || !boxes.empty()) << "neither the Print dialog nor a box appeared";
        return boxes;
    }

    std::vector<Rows> Printed() { return PrintedPages(FileExists(output_) ? ReadBytes(output_) : ""); }

    // The progress window's text when the stand-in user saw it, and whether
    // the user presses its Cancel.
    std::wstring progress_;
    bool cancelProgress_ = false;
    ScratchFolder folder_;
    std::wstring output_ = folder_.Path(L"job.ps");
};

TEST_F(PrintDocumentTest, PrintsEveryLineUnderAHeaderOnEveryPage)
{
    CaptureJobs(true);
    wcscpy(DocumentState.FilePath, L"C:\\docs\\notes.txt");
    Rows lines = SetLines(100);

    EXPECT_TRUE(Print(IDOK).empty());
    std::vector<Rows> pages = Printed();
    ASSERT_GE(pages.size(), 2u) << "no job of several pages; is the queue PDF there (scripts/print-env start)?";
    Rows printed;
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(pages[i][0], "notes.txt, page " + std::to_string(i + 1));
        printed.insert(printed.end(), pages[i].begin() + 1, pages[i].end());
    }
    EXPECT_EQ(printed, lines);
}

TEST_F(PrintDocumentTest, PrintsInsideTheStoredMarginsUnderTheStoredHeaderAndFooter)
{
    CaptureJobs(true);
    wcscpy(DocumentState.FilePath, L"C:\\docs\\notes.txt");
    SetLines(100);
    EXPECT_TRUE(Print(IDOK).empty());
    size_t rowsAtTheDefault = Printed().at(0).size() - 1;

    PageMargins margins = {2000, 6000, 2000, 6000};
    SetSettingBinary(L"PageMargins", &margins, sizeof(margins));
    wchar_t header[kPageTextCapacity] = L"&lleft &f";
    wchar_t footer[kPageTextCapacity] = L"&rpage &p of &P";
    SetSettingBinary(L"PageHeader", header, sizeof(header));
    SetSettingBinary(L"PageFooter", footer, sizeof(footer));
    EXPECT_TRUE(Print(IDOK).empty());
    std::vector<Rows> pages = Printed();
    ASSERT_GE(pages.size(), 2u);
    Rows first = pages[0];
    EXPECT_EQ(first.front(), "left notes.txt");
    EXPECT_EQ(first.back(), "page 1 of " + std::to_string(pages.size()));
    // 80 mm more of margins take about 80 / 240 of the rows.
    EXPECT_LT(first.size() - 2, rowsAtTheDefault * 3 / 4);
}

TEST_F(PrintDocumentTest, PrintsThePagesChosenInTheDialog)
{
    CaptureJobs(true);
    wcscpy(DocumentState.FilePath, L"C:\\docs\\notes.txt");
    SetLines(300);
    EXPECT_EQ(Print(IDOK,
                    [](HWND dialog) {
                        SendMessageW(GetDlgItem(dialog, rad3), BM_CLICK, 0, 0);
                        SetDlgItemTextW(dialog, edt1, L"2");
                        SetDlgItemTextW(dialog, edt2, L"3");
                    }),
              std::vector<std::wstring>{});
    std::vector<Rows> pages = Printed();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0][0], "notes.txt, page 2");
    EXPECT_EQ(pages[1][0], "notes.txt, page 3");
    EXPECT_EQ(pages[1][1], "line " + std::to_string(std::stoi(pages[0].back().substr(5)) + 1));
}

TEST_F(PrintDocumentTest, PrintsTheSelectionWhenChosen)
{
    CaptureJobs(true);
    wcscpy(DocumentState.FilePath, L"C:\\docs\\notes.txt");
    SetLines(3);
    SendMessageW(edit(), EM_SETSEL, 8, 14);  // "line 2"
    EXPECT_TRUE(Print(IDOK, [](HWND dialog) { SendMessageW(GetDlgItem(dialog, rad2), BM_CLICK, 0, 0); }).empty());
    EXPECT_EQ(Printed(), (std::vector<Rows>{{"notes.txt, page 1", "line 2"}}));
}

TEST_F(PrintDocumentTest, CancelInTheDialogPrintsNothing)
{
    CaptureJobs(true);
    SetLines(3);
    EXPECT_TRUE(Print(IDCANCEL).empty());
    EXPECT_FALSE(FileExists(output_));
}

TEST_F(PrintDocumentTest, CancelInTheProgressWindowEndsTheJob)
{
    CaptureJobs(true);
    SetLines(20000);
    cancelProgress_ = true;
    EXPECT_TRUE(Print(IDOK).empty());
    ASSERT_EQ(progress_.rfind(L"Printing page ", 0), 0u) << "no progress window was seen";
    size_t of = progress_.find(L" of ");
    ASSERT_NE(of, std::wstring::npos);
    size_t pages = std::stoul(progress_.substr(of + 4));
    EXPECT_LT(Printed().size(), pages);
    EXPECT_TRUE(IsWindowEnabled(window_));
}

TEST_F(PrintDocumentTest, AJobThatCannotBeWrittenIsReported)
{
    // The spooler's output is a folder, which cannot be opened as a file: the
    // page is sent, and the job fails at its end.
    output_ = folder_.Path(L"");
    CaptureJobs(true);
    SetLines(3);
    EXPECT_EQ(Print(IDOK), std::vector<std::wstring>{L"Printing failed. Pages sent to the printer: 1 of 1."});
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

    EXPECT_EQ(Print(IDOK), std::vector<std::wstring>{L"Failed to print!"});
    EXPECT_FALSE(FileExists(output_));
}

}  // namespace
