// The program measured from outside, as the user starts it: opening a file
// named on the command line, and start-up to the window shown, each beside
// its floor program in the same session.
#pragma once
#include <string>
#include <vector>

// Open of each size (MB) in both encodings with word wrap off, of each
// wrapSizes size with it on, and of each encodedSizes size in UTF-8 and with
// LF line ends (wrap off); peak memory of each. Markdown tables.
std::string MeasureOpen(const std::vector<int>& sizes, const std::vector<int>& wrapSizes,
                        const std::vector<int>& encodedSizes, int runs);

// Start-up with an empty and a full settings store against the bare window,
// with the peak memory of each and the cost of building the frame in this
// process; notes on the open's memory where the frame's fixed share explains it.
std::string MeasureStartup(int runs);
