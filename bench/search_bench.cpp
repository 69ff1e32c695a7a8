#include "bench/search_bench.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "app/editcontrol.h"
#include "bench/benchmark.h"
#include "platform/textbuffer.h"
#include "prefs/appearance.h"
#include "prefs/zoom.h"
#include "res/resource.h"
#include "tests/support/wait.h"
#include "tools/textsearch.h"

namespace {

// Absent from the text, while its first word starts many of the text's.
const wchar_t kAbsent[] = L"words that end";

double TimeSearch(const std::wstring& text, const SearchOptions& options)
{
    // From the middle, so that the search wraps and reads the whole text.
    const size_t middle = text.size() / 2;
    const double start = Now();
    SearchHit hit = FindNextMatch(text.data(), text.size(), middle, middle, kAbsent, wcslen(kAbsent), options);
    const double took = Now() - start;
    if (hit.Found)
        Fail("the search found text that is not there");
    return took;
}

std::string SearchRows(int megabytes, int runs)
{
    const std::wstring text = FoxText(static_cast<size_t>(megabytes) << 20, 0);
    const int kCombinations = 8;
    auto optionsOf = [](int combination) {
        return SearchOptions{combination & 1 ? 0 : 1, combination & 2 ? 1 : 0, 1, combination & 4 ? 1 : 0};
    };
    // Each run times every combination in turn, so that a shared machine's
    // changing load weighs on all of them alike.
    std::vector<std::vector<double>> times(kCombinations);
    for (int run = 0; run < runs; ++run)
        for (int combination = 0; combination < kCombinations; ++combination)
            times[combination].push_back(TimeSearch(text, optionsOf(combination)));
    std::string rows;
    const double exact = Median(times[0]);
    for (int combination = 0; combination < kCombinations; ++combination) {
        const SearchOptions options = optionsOf(combination);
        const double median = Median(times[combination]);
        const double ratio = median / exact;
        const std::string name = Printf("%s, %s, %s", options.CaseSensitive ? "exact" : "case-blind",
                                        options.WholeWord ? "whole word" : "anywhere", options.Up ? "up" : "down");
        rows += Row({name, ListValues(times[combination], "%.4f"), Printf("%.4f", median),
                     Printf("%.0f", static_cast<double>(text.size()) / median / 1e6), Printf("%.2f", ratio),
                     combination == 0 ? "-" : Verdict(ratio <= 1.5)});
        if (ratio > 1.5)
            Note(Printf("Search that finds nothing, %s: %.2f x the exact forward search.", name.c_str(), ratio));
    }
    return rows;
}

// A font change as the font dialog's OK makes it: a new font of another
// height handed to the control.
double TimeFontChange(HWND edit, LONG height)
{
    LOGFONTW font = {};
    GetObjectW(EditFont, sizeof(font), &font);
    font.lfHeight = height;
    HFONT made = CreateFontIndirectW(&font);
    const double start = Now();
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(made), TRUE);
    PumpMessages();
    const double took = Now() - start;
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(EditFont), TRUE);
    PumpMessages();
    DeleteObject(made);
    return took;
}

std::string ZoomRows(int megabytes, int runs)
{
    HWND window = MakeShownFrame();
    SetWordWrap(window, 1);
    const std::wstring text = FoxText(static_cast<size_t>(megabytes) << 20, 0);
    HLOCAL block = MakeTextBlock(text.data(), text.size());
    if (!block)
        Fail("no block for the text");
    HandTextToEdit(window, block);
    PumpMessages();
    HWND edit = GetDlgItem(window, IDC_EDIT);
    if (static_cast<size_t>(GetWindowTextLengthW(edit)) != text.size())
        Fail("the control did not take the whole text");
    LOGFONTW font = {};
    GetObjectW(EditFont, sizeof(font), &font);
    std::vector<double> zooms, fonts;
    for (int run = 0; run < runs; ++run) {
        double start = Now();
        ZoomEdit(window, 1);
        PumpMessages();
        zooms.push_back(Now() - start);
        ZoomEdit(window, 0);
        PumpMessages();
        fonts.push_back(TimeFontChange(edit, ZoomedFontHeight(font.lfHeight, 110)));
    }
    DestroyWindow(window);
    const double ratio = Median(zooms) / Median(fonts);
    if (ratio > 1)
        Note(Printf("Zoom step on %d MB with word wrap: %.2f x a font change.", megabytes, ratio));
    return Row({Printf("%d MB, word wrap on, one step in", megabytes), ListValues(zooms, "%.3f"),
                Printf("%.3f", Median(zooms)), ListValues(fonts, "%.3f"), Printf("%.3f", Median(fonts)),
                Printf("%.2f", ratio), Verdict(ratio <= 1)});
}

}  // namespace

std::string MeasureSearchAndZoom(int searchMegabytes, int zoomMegabytes, int runs)
{
    std::string search =
        Printf("## A search that finds nothing in %d MB, from the middle, wrapping around\n\n", searchMegabytes) +
        "| Options | runs (s) | median (s) | M characters/s | / exact forward | Verdict (<= 1.5) |\n"
        "|---|---|---|---|---|---|\n" +
        SearchRows(searchMegabytes, runs);
    std::string zoom =
        "## A zoom step against a font change\n\n"
        "| Document | zoom step, runs (s) | median (s) | font change, runs (s) | median (s) | ratio | Verdict (<= 1) "
        "|\n|---|---|---|---|---|---|---|\n" +
        ZoomRows(zoomMegabytes, runs);
    return search + "\n" + zoom + "\n";
}
