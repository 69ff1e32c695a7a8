#include "print/printerchoice.h"

#include <commdlg.h>

HGLOBAL PrinterDevMode = nullptr;
HGLOBAL PrinterDevNames = nullptr;

void KeepPrinterChoice(HGLOBAL devMode, HGLOBAL devNames)
{
    if (PrinterDevMode && PrinterDevMode != devMode)
        GlobalFree(PrinterDevMode);
    if (PrinterDevNames && PrinterDevNames != devNames)
        GlobalFree(PrinterDevNames);
    PrinterDevMode = devMode;
    PrinterDevNames = devNames;
}

void FreePrinterChoice()
{
    KeepPrinterChoice(nullptr, nullptr);
}

HDC CreateChosenPrinterIC()
{
    const DEVNAMES* names = PrinterDevNames ? static_cast<const DEVNAMES*>(GlobalLock(PrinterDevNames)) : nullptr;
    if (!names)
        return nullptr;
    const DEVMODEW* devMode = PrinterDevMode ? static_cast<const DEVMODEW*>(GlobalLock(PrinterDevMode)) : nullptr;
    const wchar_t* strings = reinterpret_cast<const wchar_t*>(names);
    HDC dc = CreateICW(strings + names->wDriverOffset, strings + names->wDeviceOffset, strings + names->wOutputOffset,
                       devMode);
    if (devMode)
        GlobalUnlock(PrinterDevMode);
    GlobalUnlock(PrinterDevNames);
    return dc;
}
