// The modal about box: credits, the OpenGL logo and a link to the project's
// web page.
#pragma once
#include <windows.h>

#include "about/hyperlink.h"

// The about box's link; empty from start-up, filled while the box is open,
// released again at exit.
extern HyperlinkControl AboutHyperlink;

// The address the link opens.
extern const wchar_t* const kProjectPage;

// IDM_ABOUT: shows the about box over the main window until it is closed.
LRESULT ShowAboutDialog(HWND mainWindow);

// The link's click: opens the project's web page in the user's browser.
void OpenProjectPage(DWORD);
