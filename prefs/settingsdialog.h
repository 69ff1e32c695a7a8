// The settings dialog.
#pragma once
#include <windows.h>

// The newest Settings dialog, or null; the message loop routes its keys.
extern HWND SettingsDialog;
