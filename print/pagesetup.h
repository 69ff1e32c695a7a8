// Page Setup: the paper, orientation and margins chosen in the system's
// dialog, and the header and footer texts, stored with the other settings.
#pragma once
#include <windows.h>

#include <string>

// The margins every page starts with, in hundredths of a millimetre.
const int kDefaultMargin = 2000;
// Larger stored margins are hostile and read as the default.
const int kLargestMargin = 100000;

struct PageMargins {
    DWORD left;
    DWORD top;
    DWORD right;
    DWORD bottom;
};

// The stored margins, or the default on every side when they are missing or
// any is out of range.
PageMargins StoredMargins();

// The stored header and footer patterns, or the defaults when missing or
// hostile. Each is kept in kPageTextCapacity characters with its terminator.
const int kPageTextCapacity = 256;
std::wstring StoredHeader();
std::wstring StoredFooter();
// Stores both, each cut to kPageTextCapacity - 1 characters.
void StoreHeaderAndFooter(const wchar_t* header, const wchar_t* footer);

// Margins between hundredths of a millimetre and the dialog's units, the
// user's: those or thousandths of an inch.
int MarginToDialog(DWORD hundredthsOfMm, bool inches);
DWORD MarginFromDialog(int value, bool inches);

// Before the first dialog of the process: takes the default printer's
// settings and gives them the stored paper and orientation, so that the
// dialogs open with them. False when there is no printer.
bool LoadStoredPrinterSettings();

// The File menu's Page Setup: opens PageSetupDlgW over the printer chosen
// last and, on OK, keeps its settings and stores paper, orientation and
// margins. Returns 0.
LRESULT ShowPageSetup(HWND mainWindow);
