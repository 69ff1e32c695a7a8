// What a print job and the preview print: a copy of the document's text,
// taken when they start, and the values of the header and footer codes.
#pragma once
#include <windows.h>

#include <string>

#include "print/pagecodes.h"

// Copies the text of mainWindow's edit control. The job and the preview pump
// messages, and a reload, Replace All or a word-wrap switch would free the
// control's buffer under a locked read. False when it cannot be read.
bool CopyDocumentText(HWND mainWindow, std::wstring* text);

// The values that stay the same on every page: the file's name, the date
// and the time now, and pageCount.
PageValues DocumentPageValues(size_t pageCount);
