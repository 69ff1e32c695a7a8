// The printer the user chose and its settings, kept for the process's life so
// that each Print dialog opens with the last choice.
#pragma once
#include <windows.h>

// The dialogs' DEVMODE and DEVNAMES blocks; null until a dialog returns them.
extern HGLOBAL PrinterDevMode;
extern HGLOBAL PrinterDevNames;

// Takes the blocks a dialog returned, freeing the ones they replace.
void KeepPrinterChoice(HGLOBAL devMode, HGLOBAL devNames);

// An information context of the chosen printer with its settings, to
// measure on without a job; null before a choice or when the printer is gone.
// Caller deletes it.
HDC CreateChosenPrinterIC();

// Frees both blocks, at exit.
void FreePrinterChoice();
