// Printing: the document set in the editor's font inside the page's margins,
// lines wrapped between words, under a header and over a footer, page by
// page; a failure during the job is reported with the pages already sent.
#pragma once
#include <windows.h>

// Opens the Print dialog and prints the document of mainWindow's edit
// control, or its selection, as chosen there; Cancel prints nothing. Shows
// "Failed to print!" when no job can be started. Returns 0.
LRESULT PrintDocument(HWND mainWindow);
