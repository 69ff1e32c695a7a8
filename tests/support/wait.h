// Bounded waiting: every wait in the tests ends, with a clear failure when the
// condition never came true.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

const DWORD kDefaultWaitMs = 10000;

// Dispatches this thread's queued messages until none is left.
void PumpMessages();

// Pumps this thread's messages while waiting; true when condition held in time.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultWaitMs);

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// A top-level window of the given process and class (and caption, unless
// null), or null.
HWND FindProcessWindow(DWORD processId, const wchar_t* className, bool visibleOnly, const wchar_t* caption = nullptr);

// A dialog (#32770) owned by the given process, visible, or null.
HWND FindProcessDialog(DWORD processId);

// The text a message box shows (its static with id 0xFFFF).
std::wstring MessageBoxText(HWND box);
