// The Header and Footer dialog: the patterns printed above and below the
// text of every page, stored with the other settings.
#pragma once
#include <windows.h>

// Shows the stored patterns; OK stores the edited ones. Returns 0.
LRESULT ShowHeaderFooterDialog(HWND mainWindow);
