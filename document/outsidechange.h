// Changes that other programs make to the document's file: noticed when the
// user comes back to the program, and before a save would overwrite them.
#pragma once
#include <windows.h>

#include "document/filecheck.h"
#include "document/fileversion.h"

// Above this size an unmodified document is not reloaded without asking: a
// log that another program keeps writing would otherwise be read again at
// every switch.
const ULONGLONG kReloadWithoutAskingLimit = 4 * 1024 * 1024;

enum class ReturnAction {
    Nothing,
    Adopt,        // the same bytes under a new identity: it becomes the base
    Reload,       // unmodified and changed: read it again
    AskToReload,  // unmodified, changed and large
    AskToDrop,    // modified and changed: load that version instead?
    MarkGone,     // deleted or renamed away: the text is now unsaved
    Back,         // back as it was, with nothing typed since it went: saved again
};

// What to do on coming back, from what the check found (state, and the file
// now), whether the text is modified, whether the file was already found
// gone and the text edited since, and the outside version the user was last
// asked about (a version asked about once is not asked about again).
ReturnAction DecideOnReturn(FileState state, const FileVersion& now, bool modified, bool knownGone,
                            bool editedSinceGone, const FileVersion& asked);

// Posted by the main window on WM_ACTIVATEAPP: checks the document's file
// on a worker (see backgroundcheck.h) and acts on its answer, or, while a
// box or dialog of the program is open, waits until it has closed (see
// RetryFileCheck).
LRESULT CheckFileOnReturn(HWND mainWindow);
// Runs a check that had to wait, once no box or dialog is open. Called on
// every tick of the status timer; costs nothing when none waits.
void RetryFileCheck(HWND mainWindow);
// The main window's answer to WM_SCRIVLET_RESTOREPLACE.
LRESULT RestoreTextPlace(HWND mainWindow);

// Whether the file under the document's path still holds the bytes its text
// was last read from or written to (a touched file with the same bytes
// becomes the base).
bool FileIsStillTheBase();

// Before a save to the document's own path: false when the file was changed
// by another program and the user chose not to replace it. A touched file
// with the same bytes becomes the base silently; a file that is gone, or
// one that cannot be checked, is simply written.
bool ConfirmReplacingOutsideChanges();
