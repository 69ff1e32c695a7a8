// The program's own messages to its main window. Through them the folders
// below the frame ask it for what only it does.
#pragma once
#include <windows.h>

// Posted behind a buffer handed to the edit control; wParam is the buffer the
// control used before, which is freed once it is unused.
const UINT WM_SCRIVLET_TEXTHANDEDOVER = WM_APP + 1;
// Sent to switch word wrap on (wParam 1) or off (wParam 0); the frame makes
// the edit control again in that mode and keeps its text.
const UINT WM_SCRIVLET_SETWORDWRAP = WM_APP + 2;
// Posted when the user comes back to the program, so that the check of the
// document's file runs outside WM_ACTIVATEAPP.
const UINT WM_SCRIVLET_CHECKFILE = WM_APP + 3;
// Posted behind a reloaded text: puts the caret and the first visible line
// back where they were, once the control has the new text.
const UINT WM_SCRIVLET_RESTOREPLACE = WM_APP + 4;
// Posted by the worker that wrote a recovery copy: wParam tells whether it
// was written, lParam which copy it was.
const UINT WM_SCRIVLET_COPYWRITTEN = WM_APP + 5;
// Posted at start-up: offers the recovery copies that processes no longer
// running left, once the window is shown.
const UINT WM_SCRIVLET_OFFERCOPIES = WM_APP + 6;
// Posted by the worker of a recovery copy once it has room for the text
// (wParam 1) or found none (0); lParam tells which copy it is.
const UINT WM_SCRIVLET_COPYROOM = WM_APP + 7;
// Sent when a lasting status note came or went: the frame lays the status
// bar's parts out again.
const UINT WM_SCRIVLET_LAYOUTSTATUS = WM_APP + 9;
// Posted by the worker that checked the document's file on coming back;
// lParam is its job, which the answer frees.
const UINT WM_SCRIVLET_FILECHECKED = WM_APP + 10;
// Posted when the end of the session was refused because the unsaved text
// could not be kept: the box that says so comes once the query is answered.
const UINT WM_SCRIVLET_SESSIONKEPT = WM_APP + 8;
