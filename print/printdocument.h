// Printing: the document set in the editor's font inside the page's margins,
// lines wrapped between words, under a header and over a footer, page by
// page; a failure during the job is reported with the pages already sent.
#pragma once
#include <windows.h>

// The margins every page starts with, in hundredths of a millimetre.
const int kDefaultMargin = 2000;

// Prints the document of mainWindow's edit control on the first local
// printer; shows "Failed to print!" when no job can be started. Returns 0.
LRESULT PrintDocument(HWND mainWindow);
