#include "bench/print_bench.h"

#include <windows.h>

#include "bench/benchmark.h"
#include "platform/systemlibrary.h"
#include "platform/textbuffer.h"
#include "prefs/appearance.h"
#include "prefs/settings.h"
#include "print/pagesetup.h"
#include "print/printdevice.h"
#include "print/printerchoice.h"
#include "print/printlayout.h"
#include "print/printpreview.h"
#include "res/resource.h"
#include "tests/support/wait.h"

namespace {

// Plain lines of 40 to 72 characters, 56 on average, and CR LF: 10 MiB holds
// about 180,000 of them.
std::wstring PrintText(size_t length)
{
    const std::wstring words =
        L"the printed page keeps its words whole and breaks a line only between them while the margins stay ";
    std::wstring text;
    text.reserve(length + 100);
    for (size_t line = 0; text.size() < length; ++line) {
        size_t width = 40 + (line * 7) % 33;
        text += words.substr(line % 20, width) + L"\r\n";
    }
    text.resize(length);
    return text;
}

// The test queue's printer on A4, as the program's settings give it.
void ChooseA4()
{
    if (!BindSystemLibraryOrReport(SystemLibrary::CommonDialogs))
        Fail("the common dialogs could not be loaded");
    SetSettingDword(L"PaperSize", DMPAPER_A4);
    FreePrinterChoice();
    if (!LoadStoredPrinterSettings())
        Fail("no printer: is the queue PDF there (scripts/print-env start)?");
}

std::string LayoutRows(const std::vector<int>& sizes, int runs)
{
    PrinterDC printer(CreateChosenPrinterIC());
    if (!printer.get())
        Fail("no information context for the printer");
    SelectedFont selected(printer.get(), CreatePrinterFont(printer.get()));
    PrintFont font;
    if (!selected.get() || !MeasureFont(printer.get(), &font))
        Fail("the printer font could not be measured");
    const PaperGeometry paper = PaperOf(printer.get(), StoredMargins());
    std::string rows;
    double perMegabyteAtOne = 0;
    for (int megabytes : sizes) {
        const std::wstring text = PrintText(static_cast<size_t>(megabytes) << 20);
        std::vector<double> times;
        size_t pages = 0;
        size_t lines = 0;
        for (size_t i = 0; i < text.size(); ++i)
            lines += text[i] == L'\n';
        for (int run = 0; run < runs; ++run) {
            const double start = Now();
            PrintLayout layout = LayOutPages(text.c_str(), 0, text.size(), font, paper);
            times.push_back(Now() - start);
            pages = PageCount(layout);
        }
        const double median = Median(times);
        const double perMegabyte = median / megabytes;
        if (perMegabyteAtOne == 0)
            perMegabyteAtOne = perMegabyte;
        const double growth = perMegabyte / perMegabyteAtOne;
        const bool fast = megabytes < 10 || median < 2.0;
        if (!fast)
            Note(Printf("Layout of %d MB for A4: %.3f s, above 2 s.", megabytes, median));
        rows += Row(
            {Printf("%d MB, %u lines, %u pages", megabytes, static_cast<unsigned>(lines), static_cast<unsigned>(pages)),
             ListValues(times, "%.3f"), Printf("%.3f", median), Printf("%.3f", perMegabyte), Printf("%.2f", growth),
             Verdict(fast && growth <= 1.5)});
    }
    return rows;
}

std::string PreviewRows(HWND window, const std::vector<int>& sizes, int runs)
{
    std::string rows;
    for (int megabytes : sizes) {
        const std::wstring text = PrintText(static_cast<size_t>(megabytes) << 20);
        HLOCAL block = MakeTextBlock(text.data(), text.size());
        if (!block)
            Fail("no block for the text");
        HandTextToEdit(window, block);
        PumpMessages();
        if (static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(window, IDC_EDIT))) != text.size())
            Fail("the control did not take the whole text");
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            // Opening returns once the first page is drawn (UpdateWindow).
            // It takes the default printer's settings again, as the first
            // preview of a run does.
            FreePrinterChoice();
            const double start = Now();
            HWND preview = OpenPrintPreview(window);
            times.push_back(Now() - start);
            if (!preview)
                Fail("the preview did not open");
            ClosePrintPreview(preview, window);
            PumpMessages();
        }
        const double median = Median(times);
        if (median > 0.2)
            Note(Printf("Preview's first page of %d MB: %.3f s, above 0.2 s.", megabytes, median));
        rows += Row(
            {Printf("%d MB", megabytes), ListValues(times, "%.3f"), Printf("%.3f", median), Verdict(median <= 0.2)});
    }
    return rows;
}

}  // namespace

std::string MeasurePrinting(const std::vector<int>& layoutMegabytes, const std::vector<int>& previewMegabytes, int runs)
{
    // The frame makes the editor's font, which printing sets the text in.
    HWND window = MakeShownFrame();
    ChooseA4();
    std::string layout =
        "## Layout of the whole document for A4, on the test queue's printer\n\n"
        "| Document | runs (s) | median (s) | s per MB | per MB / at the first size | Verdict (10 MB < 2 s, "
        "growth <= 1.5) |\n|---|---|---|---|---|---|\n" +
        LayoutRows(layoutMegabytes, runs);
    std::string preview =
        "## Print Preview: from opening it to its first page drawn\n\n"
        "| Document | runs (s) | median (s) | Verdict (<= 0.2 s) |\n|---|---|---|---|\n" +
        PreviewRows(window, previewMegabytes, runs);
    DestroyWindow(window);
    return layout + "\n" + preview + "\n";
}
