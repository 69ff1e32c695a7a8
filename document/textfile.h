// Moves the document between a file and the edit control. The text never
// exists outside the control: the loader builds the control's next buffer and
// the writer reads the current one in place.
#pragma once
#include <windows.h>

#include <cstddef>
#include <memory>

#include "document/encoding.h"
#include "document/fileversion.h"
#include "document/safesave.h"

// Files above this size, opened while word wrap is on, prompt to turn wrap off.
const DWORD kLargeFileThreshold = 512000;

// Reads path into the edit control of mainWindow, in the encoding its bytes
// tell (see DetectFormat), with every line end as CR LF unless most of them
// are already. Returns 1 on success, 0 when the file cannot be opened or read
// whole or there is no memory to hold it; on failure the document is left as
// it was. Sets *isModified to 0, *format to the file's format and, when
// given, *version to the file's identity and the hash of its bytes on success.
int Scrivlet_ReadFile(HWND mainWindow, const wchar_t* path, int* isModified, TextFormat* format,
                      FileVersion* version = nullptr);

// Reads the document's own file again after another program changed it: as
// Scrivlet_ReadFile, but only a file that is there (none is made), with no
// word-wrap question and no change to the recent list. 0 leaves the document
// as it was.
int ReloadTextFile(HWND mainWindow, const wchar_t* path, int* isModified, TextFormat* format, FileVersion* version);

// What a save did, through every step of the save flow.
enum class SaveResult {
    Saved,          // the text is in the file; the document is not modified
    Failed,         // the file could not be written; the box is the caller's
    Cancelled,      // the user cancelled a dialog or a question: nothing written
    Declined,       // the user would not overwrite the chosen file: nothing written
    WouldLoseText,  // the text holds characters the target cannot: nothing written
};

// Writes the control's text to path in the target format; UTF-16LE with
// CR LF is written from the control's buffer as it stands. The old contents
// give way only once the new ones are complete on disk, and every name of
// the file (hard links) sees the new ones. Saved sets *isModified to 0 and
// *format to what was written; on Failed the file is unchanged, or its old
// contents are in the copy failure names (see StoreFileContents);
// WouldLoseText, when allowLoss is false and the text holds characters the
// target cannot, or the file's bytes that were no text (HasReplacedBytes). Saved also sets *version, when given, to the
// identity of the file now under path and the hash of the bytes written.
SaveResult Scrivlet_WriteFile(HWND mainWindow, const wchar_t* path, int* isModified, const TextFormat& target,
                              TextFormat* format, bool allowLoss, StoreFailure* failure = nullptr,
                              FileVersion* version = nullptr);

// Whether the control's text can be written in format without losing a
// character.
bool TextFitsFormat(HWND mainWindow, const TextFormat& format);

// The control's next buffer for a file's whole contents when they do not
// start with a UTF-16 mark (the loader reads those straight into the
// buffer), in the encoding they tell (see DetectFormat), ANSI through
// codePage, with every line end as CR LF unless most of them are already;
// *format is the file's format. Null when there is no memory for it.
HLOCAL DecodeFileText(const BYTE* bytes, DWORD size, UINT codePage, TextFormat* format);

// The bytes a save of length units of text writes in format, ANSI through
// codePage. *lossless tells whether the encoding holds every character.
// False when there is no memory for them.
bool EncodeFileText(const wchar_t* text, size_t length, const TextFormat& format, UINT codePage,
                    std::unique_ptr<char[]>* bytes, size_t* size, bool* lossless);
