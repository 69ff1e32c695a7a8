// The file commands: New, Open, Save, Save As, a dropped file, a recent entry,
// with the prompts and dialogs they share.
#pragma once
#include <windows.h>
#include <shellapi.h>

int ConfirmSaveChanges(const wchar_t* path);  // IDYES, IDNO or IDCANCEL
int ConfirmOverwrite(const wchar_t* path);

// 1 when cancelled or loaded, 0 when a load failed or an argument is missing.
int RunOpenDialog(HWND mainWindow, int* isModified, wchar_t* filePath, int* isUnicode);
// -1 when cancelled, 1 when written or overwriting was declined, 0 on failure.
int RunSaveAsDialog(HWND mainWindow, int* isModified, wchar_t* filePath, int* isUnicode);

LRESULT NewDocument(HWND mainWindow);
LRESULT OpenDocument(HWND mainWindow);
// -1 when the document is untitled and its Save As dialog is cancelled, else 0.
LRESULT SaveDocument(HWND mainWindow);
LRESULT SaveDocumentAs(HWND mainWindow);
LRESULT OpenDroppedFile(HWND mainWindow, HDROP drop);
LRESULT OpenRecentFile(HWND mainWindow, UINT id);
