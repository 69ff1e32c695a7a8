// The program's own code measured inside this process, with the real frame
// under the platform: saving, Find next, Replace all and the word-wrap switch,
// each beside what the platform does for the same work.
#pragma once
#include <string>
#include <vector>

struct FrameSizes {
    std::vector<int> save;         // MB, each saved in both encodings
    int find;                      // MB to search to its end
    int replace;                   // MB for Replace all, with one replacement per 100 characters
    int wrap;                      // MB for the word-wrap switch
    std::vector<int> encodedSave;  // MB, UTF-8 and LF documents saved in their own form
    bool encodedOnly;              // only those saves
};

// Markdown tables.
std::string MeasureInFrame(const FrameSizes& sizes, int runs);

// The hash the loader takes, reloads and the check on coming back, for
// documents of these sizes in MB.
std::string MeasureChanges(const std::vector<int>& sizes, int runs);
