#include "app/sessionend.h"

#include "document/recoverywriter.h"
#include "prefs/appearance.h"

#ifndef ENDSESSION_CLOSEAPP
#define ENDSESSION_CLOSEAPP 0x00000001
#endif

SessionEndStep DecideSessionEnd(bool ending, LPARAM reasons)
{
    if (!ending)
        return SessionEndStep::CarryOn;
    return (reasons & ENDSESSION_CLOSEAPP) ? SessionEndStep::KeepCopyAndExit : SessionEndStep::KeepCopy;
}

LRESULT OnQueryEndSession(HWND mainWindow)
{
    // Agree at once; the copy is written while the other programs are asked.
    StartRecoveryCopy(mainWindow);
    return TRUE;
}

LRESULT OnEndSession(HWND mainWindow, bool ending, LPARAM reasons)
{
    const SessionEndStep step = DecideSessionEnd(ending, reasons);
    if (step == SessionEndStep::CarryOn)
        return 0;
    WriteRecoveryCopyNow(mainWindow);
    KeepRecoveryCopyForNextStart();
    StoreWindowState(mainWindow);
    if (step == SessionEndStep::KeepCopyAndExit)
        PostQuitMessage(0);
    return 0;
}
