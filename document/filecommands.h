// The file commands: New, Open, Save, Save As, a dropped file, a recent entry,
// with the prompts and dialogs they share.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "document/encoding.h"
#include "document/safesave.h"
#include "document/textfile.h"

int ConfirmSaveChanges(const wchar_t* path);  // IDYES, IDNO or IDCANCEL
int ConfirmOverwrite(const wchar_t* path);
// Before a save that would lose characters: lossyName is the encoding that
// cannot hold them, losslessName the one offered instead.
int ConfirmLossySave(const wchar_t* path, const wchar_t* lossyName, const wchar_t* losslessName);
// Before a save that would write stand-ins for bytes of the file that were
// no text: IDYES or IDNO.
int ConfirmReplacedBytesSave(const wchar_t* path);
// Before a save that writes count characters under another code than the
// file had them in, and before one whose bytes would open as other text:
// IDYES saves anyway, IDNO chooses Save As, IDCANCEL saves nothing.
int ConfirmRecodedSave(const wchar_t* path, size_t count);
int ConfirmOtherTextSave(const wchar_t* path, const wchar_t* encodingName, const wchar_t* readsAsName);

// 1 when cancelled or loaded, 0 when a load failed or an argument is missing.
int RunOpenDialog(HWND mainWindow, int* isModified, wchar_t* filePath, TextFormat* format,
                  FileVersion* version = nullptr);
// Cancelled when the dialog or the question about lost characters is
// cancelled, Declined when overwriting was, else whether it saved; on Failed,
// failure, when given, tells which copy the failed write left beside the file.
SaveResult RunSaveAsDialog(HWND mainWindow, int* isModified, wchar_t* filePath, TextFormat* format,
                           StoreFailure* failure = nullptr, FileVersion* version = nullptr);

// The save question before a command drops the document's text: false when
// the user cancels, or chose Yes and the text was not saved after all.
bool SavePromptStep(HWND mainWindow);

LRESULT NewDocument(HWND mainWindow);
LRESULT OpenDocument(HWND mainWindow);
// Saves under the document's own path, through Save As when it has none.
// A failure has been reported to the user when this returns.
SaveResult SaveDocument(HWND mainWindow);
LRESULT SaveDocumentAs(HWND mainWindow);
LRESULT OpenDroppedFile(HWND mainWindow, HDROP drop);
LRESULT OpenRecentFile(HWND mainWindow, UINT id);
