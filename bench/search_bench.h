// The search with its options over a large text, and a step of the zoom
// against a change of the font, in the program's frame.
#pragma once
#include <string>

// Markdown tables: a search that finds nothing in searchMegabytes, for each
// combination of the options against the exact forward search; one zoom
// step on zoomMegabytes with word wrap on against a font change.
std::string MeasureSearchAndZoom(int searchMegabytes, int zoomMegabytes, int runs);
