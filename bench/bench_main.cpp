// Measures the program against the floor the platform sets and writes the
// results as Markdown tables.
//   scrivlet_bench OUTPUT.md [--quick | --startup | --encodings | --changes | --recovery | --search |
//                             --layout | --print]
// --quick: 1 MB only, to try the run; --startup: the start-up table alone;
// --encodings: the opens and saves of UTF-8 and LF documents alone;
// --changes: the cost of noticing changes made elsewhere alone;
// --recovery: typing while the recovery copy is written, the writing of a
// copy and its memory, alone; --search: a search that finds nothing in 50 MB
// with each combination of the options, and a zoom step on 10 MB with word
// wrap against a font change, alone; --layout: the edit control's layout
// of 2, 5 and 10 MB with word wrap off and on, alone; --print: printing's
// layout of 1, 5 and 10 MB for A4 and the preview's first page of 1 and
// 10 MB, alone.
// SCRIVLET_ENCODED_SIZES and SCRIVLET_RECOVERY_SIZES, lists such as "10" or
// "10,50", give the sizes in MB of those documents (10 and 50 when not set).
//   scrivlet_bench --typing-run MB on|off RESULT
// is one typing run of --recovery, in a process of its own.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/benchmark.h"
#include "bench/frame_bench.h"
#include "bench/layout_bench.h"
#include "bench/print_bench.h"
#include "bench/process_bench.h"
#include "bench/recovery_bench.h"
#include "bench/search_bench.h"

namespace {

std::vector<int> SizesFrom(const char* variable)
{
    std::vector<int> sizes;
    for (const char* listed = getenv(variable); listed && *listed;) {
        if (atoi(listed) > 0)
            sizes.push_back(atoi(listed));
        listed = strchr(listed, ',');
        listed = listed ? listed + 1 : nullptr;
    }
    return sizes.empty() ? std::vector<int>{10, 50} : sizes;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && strcmp(argv[1], "--typing-run") == 0)
        return RunTyping(atoi(argv[2]), strcmp(argv[3], "on") == 0, argv[4]);
    if (argc < 2) {
        fprintf(stderr,
                "usage: scrivlet_bench OUTPUT.md [--quick | --startup | --encodings | --changes | --recovery | "
                "--search | --layout | --print]\n");
        return 2;
    }
    const bool quick = argc > 2 && strcmp(argv[2], "--quick") == 0;
    const bool startupOnly = argc > 2 && strcmp(argv[2], "--startup") == 0;
    const bool encodingsOnly = argc > 2 && strcmp(argv[2], "--encodings") == 0;
    const bool changesOnly = argc > 2 && strcmp(argv[2], "--changes") == 0;
    const bool recoveryOnly = argc > 2 && strcmp(argv[2], "--recovery") == 0;
    const bool searchOnly = argc > 2 && strcmp(argv[2], "--search") == 0;
    const bool layoutOnly = argc > 2 && strcmp(argv[2], "--layout") == 0;
    const bool printOnly = argc > 2 && strcmp(argv[2], "--print") == 0;
    const int runs = 3;
    // The opens and the start-up vary most on a loaded machine.
    const int openRuns = quick ? 3 : 7, startupRuns = quick ? 5 : 11;
    std::vector<int> sizes = quick ? std::vector<int>{1} : std::vector<int>{1, 10, 50};
    std::vector<int> wrapSizes = quick ? std::vector<int>{1} : std::vector<int>{1, 10};
    std::vector<int> encodedSizes = quick ? std::vector<int>{1} : SizesFrom("SCRIVLET_ENCODED_SIZES");
    FrameSizes frame = {encodingsOnly ? std::vector<int>{} : sizes,
                        quick ? 1 : 50,
                        quick ? 10 : 10,
                        quick ? 1 : 10,
                        encodedSizes,
                        encodingsOnly};

    std::string results;
    if (startupOnly) {
        results = MeasureStartup(startupRuns) + "\n";
        results += Notes();
    } else if (layoutOnly) {
        results = "## The edit control's layout of a handed-over text\n\n" + MeasureLayout({2, 5, 10}, 3) + "\n";
    } else if (printOnly) {
        results = MeasurePrinting({1, 5, 10}, {1, 10}, 5);
        results += "## Targets missed, and what the measurements show about them\n\n" + Notes() + "\n";
    } else if (searchOnly) {
        results = MeasureSearchAndZoom(50, 10, 5);
        results += "## Targets missed, and what the measurements show about them\n\n" + Notes() + "\n";
    } else if (recoveryOnly) {
        results = MeasureRecovery(SizesFrom("SCRIVLET_RECOVERY_SIZES"));
        results += "## Targets missed, and what the measurements show about them\n\n" + Notes() + "\n";
    } else if (changesOnly) {
        results += "## Changes made elsewhere: the hash, reloads and the check on coming back\n\n";
        results += MeasureChanges({10, 50}, runs) + "\n";
    } else if (encodingsOnly) {
        results += "## Open of UTF-8 and LF documents, from process start to the whole text in the edit control\n\n";
        results += MeasureOpen({}, {}, encodedSizes, openRuns) + "\n";
        results += "## Save of UTF-8 and LF documents, in the program's frame\n\n" + MeasureInFrame(frame, runs) + "\n";
        results += "## Targets missed, and what the measurements show about them\n\n" + Notes() + "\n";
    } else {
        results += "## Open, from process start to the whole text in the edit control\n\n";
        results += MeasureOpen(sizes, wrapSizes, encodedSizes, openRuns) + "\n";
        results += "## Start-up\n\n" + MeasureStartup(startupRuns) + "\n";
        results += "## In the program's frame\n\n" + MeasureInFrame(frame, runs) + "\n";
        results += "## Changes made elsewhere: the hash, reloads and the check on coming back\n\n";
        results += MeasureChanges(quick ? std::vector<int>{1} : std::vector<int>{10, 50}, runs) + "\n";
        results += "## Targets missed, and what the measurements show about them\n\n" + Notes() + "\n";
    }

    FILE* out = fopen(argv[1], "wb");
    if (!out || fwrite(results.data(), 1, results.size(), out) != results.size() || fclose(out) != 0)
        Fail("could not write %s", argv[1]);
    return 0;
}
