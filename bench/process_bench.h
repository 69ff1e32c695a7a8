// The program measured from outside, as the user starts it: opening a file
// named on the command line, and start-up to the window shown, each beside
// its floor program in the same session.
#pragma once
#include <string>
#include <vector>

// Open of each size (MB) in both encodings with word wrap off, and of each
// wrapSizes size with it on; peak memory of each. Markdown tables.
std::string MeasureOpen(const std::vector<int>& sizes, const std::vector<int>& wrapSizes, int runs);

// Start-up with an empty and a full settings store against the bare window,
// with the peak memory of each and the cost of building the frame in this
// process; notes on the open's memory where the frame's fixed share explains it.
std::string MeasureStartup(int runs);
