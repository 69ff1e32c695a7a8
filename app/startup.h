// The program's entry, its message loop and the handles it holds for the run.
#pragma once
#include <windows.h>

// Runs the whole program; the result is the process exit code.
int ScrivletMain(HINSTANCE instance);

// Dispatches until WM_QUIT, routing keys to the modeless dialogs first and the
// accelerators second. Returns the WM_QUIT wParam.
int RunMessageLoop(HWND mainWindow);

// Platforms older than Windows 2000 in the NT family are refused; a version
// with bit 31 set passes whatever it says.
bool IsPlatformSupported(DWORD version);

// The long form of a command-line path in a buffer of MAX_PATH characters.
// Returns false, leaving longPath empty, when the file does not exist or its
// long form does not fit: such a path is never cut short to another one.
bool LongPathForOpen(const wchar_t* argument, wchar_t* longPath);

enum class StartRequest {
    NoFile,
    File,
    HandedCopy,  // a recovery copy that another process handed over
};

// Opens the file named by the first command-line argument, or starts
// untitled, or restores the recovery copy handed over with the switch.
StartRequest OpenCommandLineFile(HWND mainWindow, const wchar_t* commandLine);
