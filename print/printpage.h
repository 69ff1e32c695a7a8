// Draws one laid-out page on a device context: the printer's page, or the
// preview's, whose mapping makes it the same picture.
#pragma once
#include <windows.h>

#include "print/pagecodes.h"
#include "print/printlayout.h"

// The font of the layout must be selected into dc.
void DrawPage(HDC dc, const wchar_t* text, const PrintLayout& layout, const PrintFont& font, size_t page,
              const PageLine& header, const PageLine& footer);
