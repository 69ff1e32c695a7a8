#include "print/printerchoice.h"

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
