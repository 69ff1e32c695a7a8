// The recovery copy measured: typing into the real frame while a copy is
// taken and written, beside the same typing with copies off; the writing of
// a copy alone; and the memory a copy costs.
#pragma once
#include <string>
#include <vector>

// Markdown tables for documents of these sizes in MB. Each typing run is a
// process of its own (this program, started with --typing-run), so that its
// peak memory is its own.
std::string MeasureRecovery(const std::vector<int>& sizes);

// One typing run, in the process that was started for it: types steadily
// into a document of megabytes MB, with the recovery copies on or off, and
// writes its figures to resultPath. Returns the process's exit code.
int RunTyping(int megabytes, bool copies, const char* resultPath);
