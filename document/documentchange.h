// Every change of the document goes through here: its text, its file, whether
// it is modified. Changes are counted, so that whoever keeps a copy of the
// text can tell a copy of the text as it stands from an older one, whatever
// order the messages came in.
#pragma once
#include <windows.h>

#include <cstdint>

// Changes so far. A text handed to the control as a whole block counts once
// the control has taken it, never before.
uint64_t DocumentChangeCount();

// After any change of the document: shows it in the title and status bar,
// counts it and tells the change hook.
void DocumentChanged(HWND mainWindow);

// The main window's answer to WM_SCRIVLET_TEXTHANDEDOVER: frees the block the
// control had, and counts the text it now has as a change.
LRESULT DocumentTextTaken(HWND mainWindow, HLOCAL oldBlock);

// Told of every change, after it is counted; set by the frame, so that what
// sits above the document learns of changes without the document knowing it.
typedef void (*DocumentChangeHook)(HWND mainWindow);
void SetDocumentChangeHook(DocumentChangeHook hook);
