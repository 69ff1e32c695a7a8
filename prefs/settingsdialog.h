// The settings dialog: the main window's transparency and the .TXT association.
#pragma once
#include <windows.h>

// The newest Settings dialog, or null; the message loop routes its keys.
extern HWND SettingsDialog;

// Opens a new modeless dialog over mainWindow; shows an error box when it cannot.
LRESULT ShowSettingsDialog(HWND mainWindow);

// Takes the slider's position as the alpha of the dialog's parent (the main
// window) and stores it as Opacity. 255 leaves the window opaque, not layered.
void ApplyOpacity(HWND settingsDialog);
