// Printing's layout and the preview's first page on large documents.
#pragma once
#include <string>
#include <vector>

// Markdown tables: the whole layout of documents of layoutMegabytes for A4
// on the test queue's printer, and the time from opening the preview to its
// first page drawn for documents of previewMegabytes.
std::string MeasurePrinting(const std::vector<int>& layoutMegabytes, const std::vector<int>& previewMegabytes,
                            int runs);
