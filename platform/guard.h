// Every procedure the system calls (window, dialog and thread procedures) runs
// its body through RunGuarded. An exception must not leave such a procedure:
// it cannot unwind through the system's frames on 32-bit Windows, and the
// process would end with the unsaved text.
#pragma once
#include <windows.h>

// Shows that the request failed when userRequest, else nothing: a message the
// system sends by itself again and again (painting, timers) must not bring up
// a box each time.
void ReportEscapedException(bool userRequest);

// Messages that carry out something the user asked for, whose failure is told.
inline bool IsUserRequest(UINT message)
{
    return message == WM_COMMAND || message == WM_INITDIALOG || message == WM_DROPFILES;
}

// body's result, or Result's zero when it threw.
template <typename Result, typename Body>
Result RunGuarded(bool userRequest, Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        ReportEscapedException(userRequest);
        return Result();
    }
}
