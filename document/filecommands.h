// The file commands: New, Open, Save, Save As, a dropped file, a recent entry,
// with the prompts and dialogs they share.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "document/encoding.h"
#include "document/safesave.h"

int ConfirmSaveChanges(const wchar_t* path);  // IDYES, IDNO or IDCANCEL
int ConfirmOverwrite(const wchar_t* path);
// Before a save that would lose characters: lossyName is the encoding that
// cannot hold them, losslessName the one offered instead.
int ConfirmLossySave(const wchar_t* path, const wchar_t* lossyName, const wchar_t* losslessName);

// 1 when cancelled or loaded, 0 when a load failed or an argument is missing.
int RunOpenDialog(HWND mainWindow, int* isModified, wchar_t* filePath, TextFormat* format);
// -1 when the dialog or the question about lost characters is cancelled, 1
// when written or overwriting was declined, 0 on failure; failure, when
// given, then tells which copy the failed write left beside the file.
int RunSaveAsDialog(HWND mainWindow, int* isModified, wchar_t* filePath, TextFormat* format,
                    StoreFailure* failure = nullptr);

LRESULT NewDocument(HWND mainWindow);
LRESULT OpenDocument(HWND mainWindow);
// -1 when the user cancels (the Save As dialog of an untitled document, or
// the question about lost characters), else 0.
LRESULT SaveDocument(HWND mainWindow);
LRESULT SaveDocumentAs(HWND mainWindow);
LRESULT OpenDroppedFile(HWND mainWindow, HDROP drop);
LRESULT OpenRecentFile(HWND mainWindow, UINT id);
