#include "bench/layout_bench.h"

#include <windows.h>

#include "app/editcontrol.h"
#include "bench/benchmark.h"
#include "platform/textbuffer.h"
#include "res/resource.h"
#include "tests/support/wait.h"

namespace {

double TimeHandOver(HWND window, const std::wstring& text)
{
    SetWindowTextW(GetDlgItem(window, IDC_EDIT), L"");
    PumpMessages();
    HLOCAL block = MakeTextBlock(text.data(), text.size());
    if (!block)
        Fail("no block for the text");
    const double start = Now();
    HandTextToEdit(window, block);
    PumpMessages();
    const double took = Now() - start;
    if (static_cast<size_t>(GetWindowTextLengthW(GetDlgItem(window, IDC_EDIT))) != text.size())
        Fail("the control did not take the whole text");
    return took;
}

}  // namespace

std::string MeasureLayout(const std::vector<int>& sizes, int runs)
{
    HWND window = MakeShownFrame();
    std::string rows =
        "| Document | word wrap | runs (s) | median (s) | seconds per MB |\n"
        "|---|---|---|---|---|\n";
    for (int megabytes : sizes) {
        const std::wstring text = FoxText(static_cast<size_t>(megabytes) << 20, 0);
        for (int wrap = 0; wrap <= 1; ++wrap) {
            SetWordWrap(window, wrap);
            std::vector<double> times;
            for (int run = 0; run < runs; ++run)
                times.push_back(TimeHandOver(window, text));
            const double median = Median(times);
            rows += Row({Printf("%d MB", megabytes), wrap ? "on" : "off", ListValues(times, "%.3f"),
                         Printf("%.3f", median), Printf("%.3f", median / megabytes)});
        }
    }
    SetWindowTextW(GetDlgItem(window, IDC_EDIT), L"");
    DestroyWindow(window);
    return rows;
}
