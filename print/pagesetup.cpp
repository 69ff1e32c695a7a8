#include "print/pagesetup.h"

#include <commdlg.h>

#include "platform/messages.h"
#include "platform/systemlibrary.h"
#include "prefs/settings.h"
#include "print/pagecodes.h"
#include "print/printerchoice.h"

namespace {

const wchar_t kMarginsValue[] = L"PageMargins";
const wchar_t kPaperValue[] = L"PaperSize";
const wchar_t kOrientationValue[] = L"PaperOrientation";
const wchar_t kHeaderValue[] = L"PageHeader";
const wchar_t kFooterValue[] = L"PageFooter";

const int kHundredthsOfMmPerInch = 2540;
const wchar_t kNoPrinter[] = L"Page Setup needs a printer, and none is installed.";

std::wstring StoredPageText(const wchar_t* name, const wchar_t* fallback)
{
    wchar_t text[kPageTextCapacity];
    if (!GetSettingBinary(name, text, sizeof(text)) || !wmemchr(text, L'\0', kPageTextCapacity))
        return fallback;
    return text;
}

void StorePageText(const wchar_t* name, const wchar_t* text)
{
    wchar_t stored[kPageTextCapacity] = {};
    lstrcpynW(stored, text, kPageTextCapacity);
    SetSettingBinary(name, stored, sizeof(stored));
}

bool UsesInches()
{
    wchar_t measure[2] = {};
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IMEASURE, measure, 2) && measure[0] == L'1';
}

}  // namespace

PageMargins StoredMargins()
{
    PageMargins margins;
    if (!GetSettingBinary(kMarginsValue, &margins, sizeof(margins)))
        return PageMargins{kDefaultMargin, kDefaultMargin, kDefaultMargin, kDefaultMargin};
    for (DWORD margin : {margins.left, margins.top, margins.right, margins.bottom}) {
        if (margin > kLargestMargin)
            return PageMargins{kDefaultMargin, kDefaultMargin, kDefaultMargin, kDefaultMargin};
    }
    return margins;
}

std::wstring StoredHeader()
{
    return StoredPageText(kHeaderValue, kDefaultHeader);
}

std::wstring StoredFooter()
{
    return StoredPageText(kFooterValue, kDefaultFooter);
}

void StoreHeaderAndFooter(const wchar_t* header, const wchar_t* footer)
{
    StorePageText(kHeaderValue, header);
    StorePageText(kFooterValue, footer);
}

int MarginToDialog(DWORD hundredthsOfMm, bool inches)
{
    return inches ? MulDiv(static_cast<int>(hundredthsOfMm), 1000, kHundredthsOfMmPerInch)
                  : static_cast<int>(hundredthsOfMm);
}

DWORD MarginFromDialog(int value, bool inches)
{
    if (value < 0)
        return 0;
    return static_cast<DWORD>(inches ? MulDiv(value, kHundredthsOfMmPerInch, 1000) : value);
}

bool LoadStoredPrinterSettings()
{
    if (PrinterDevMode)
        return true;
    PRINTDLGW defaults = {};
    defaults.lStructSize = sizeof(defaults);
    defaults.Flags = PD_RETURNDEFAULT | PD_NOWARNING;
    if (!system_call::PrintDlgW(&defaults))
        return false;
    KeepPrinterChoice(defaults.hDevMode, defaults.hDevNames);
    DEVMODEW* devMode = PrinterDevMode ? static_cast<DEVMODEW*>(GlobalLock(PrinterDevMode)) : nullptr;
    if (!devMode)
        return true;
    DWORD paper = 0;
    if (GetSettingDword(kPaperValue, &paper) && paper > 0 && paper <= 0x7FFF) {
        devMode->dmPaperSize = static_cast<short>(paper);
        devMode->dmFields |= DM_PAPERSIZE;
    }
    DWORD orientation = 0;
    if (GetSettingDword(kOrientationValue, &orientation) &&
        (orientation == DMORIENT_PORTRAIT || orientation == DMORIENT_LANDSCAPE)) {
        devMode->dmOrientation = static_cast<short>(orientation);
        devMode->dmFields |= DM_ORIENTATION;
    }
    GlobalUnlock(PrinterDevMode);
    return true;
}

LRESULT ShowPageSetup(HWND mainWindow)
{
    if (!BindSystemLibraryOrReport(SystemLibrary::CommonDialogs))
        return 0;
    static_assert(sizeof(void*) != 4 || sizeof(PAGESETUPDLGW) == 84, "PAGESETUPDLGW must be the 32-bit record");
    if (!LoadStoredPrinterSettings()) {
        ShowErrorMessage(kNoPrinter);
        return 0;
    }
    bool inches = UsesInches();
    PageMargins margins = StoredMargins();
    PAGESETUPDLGW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = mainWindow;
    dialog.hDevMode = PrinterDevMode;
    dialog.hDevNames = PrinterDevNames;
    dialog.Flags = PSD_MARGINS | PSD_NOWARNING | (inches ? PSD_INTHOUSANDTHSOFINCHES : PSD_INHUNDREDTHSOFMILLIMETERS);
    dialog.rtMargin = RECT{MarginToDialog(margins.left, inches), MarginToDialog(margins.top, inches),
                           MarginToDialog(margins.right, inches), MarginToDialog(margins.bottom, inches)};
    BOOL chosen = system_call::PageSetupDlgW(&dialog);
    KeepPrinterChoice(dialog.hDevMode, dialog.hDevNames);
    if (!chosen) {
        if (system_call::CommDlgExtendedError() != 0)
            ShowErrorMessage(L"Failed to open Page Setup!");
        return 0;
    }
    margins =
        PageMargins{MarginFromDialog(dialog.rtMargin.left, inches), MarginFromDialog(dialog.rtMargin.top, inches),
                    MarginFromDialog(dialog.rtMargin.right, inches), MarginFromDialog(dialog.rtMargin.bottom, inches)};
    SetSettingBinary(kMarginsValue, &margins, sizeof(margins));
    DEVMODEW* devMode = PrinterDevMode ? static_cast<DEVMODEW*>(GlobalLock(PrinterDevMode)) : nullptr;
    if (devMode) {
        SetSettingDword(kPaperValue, static_cast<DWORD>(devMode->dmPaperSize));
        SetSettingDword(kOrientationValue, static_cast<DWORD>(devMode->dmOrientation));
        GlobalUnlock(PrinterDevMode);
    }
    return 0;
}
