// The edit control's layout of a handed-over text, with word wrap off and
// on: the figures behind the question asked before opening a large file.
#pragma once
#include <string>
#include <vector>

// A Markdown table: for each size in megabytes, the seconds from the
// hand-over to the whole text shown, and the seconds per megabyte.
std::string MeasureLayout(const std::vector<int>& sizes, int runs);
