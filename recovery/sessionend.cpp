#include "recovery/sessionend.h"

#include "platform/framemessages.h"
#include "platform/messages.h"
#include "prefs/appearance.h"
#include "recovery/recoverywriter.h"

#ifndef ENDSESSION_CLOSEAPP
#define ENDSESSION_CLOSEAPP 0x00000001
#endif
#ifndef ENDSESSION_CRITICAL
#define ENDSESSION_CRITICAL 0x40000000
#endif

namespace {

ShutdownBlockCalls BindShutdownBlockCalls()
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    ShutdownBlockCalls calls = {};
    calls.create = reinterpret_cast<decltype(calls.create)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "ShutdownBlockReasonCreate")));
    calls.destroy = reinterpret_cast<decltype(calls.destroy)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "ShutdownBlockReasonDestroy")));
    return calls;
}

const wchar_t kBlockReason[] = L"Unsaved changes could not be kept. Save them before you sign out.";

bool BlockReasonShown = false;

}  // namespace

ShutdownBlockCalls ShutdownBlockCall = BindShutdownBlockCalls();

SessionEndStep DecideSessionEnd(bool ending, LPARAM reasons)
{
    if (!ending)
        return SessionEndStep::CarryOn;
    return (reasons & ENDSESSION_CLOSEAPP) ? SessionEndStep::KeepCopyAndExit : SessionEndStep::KeepCopy;
}

bool AgreeToEndSession(bool changesBehind, bool copyWritten, bool critical)
{
    return !changesBehind || copyWritten || critical;
}

LRESULT OnQueryEndSession(HWND mainWindow, LPARAM reasons)
{
    // The copy is written before the answer: once it is TRUE, the program
    // may be ended at any moment.
    const bool behind = RecoveryCopyBehind();
    const bool written = behind && WriteRecoveryCopyNow(mainWindow);
    if (AgreeToEndSession(behind, written, (reasons & ENDSESSION_CRITICAL) != 0))
        return TRUE;
    // Vista and later show the reason on the shutdown screen; on 2000 and
    // XP the refusal cancels the end outright, which still loses nothing.
    if (ShutdownBlockCall.create && ShutdownBlockCall.create(mainWindow, kBlockReason))
        BlockReasonShown = true;
    // No box while the system waits for the answer.
    PostMessageW(mainWindow, WM_SCRIVLET_SESSIONKEPT, 0, 0);
    return FALSE;
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

LRESULT ExplainSessionKept(HWND)
{
    ShowErrorMessage(
        L"Scrivlet kept Windows from ending the session: the unsaved changes could not be kept for recovery. "
        L"Save them before you sign out.");
    return 0;
}

void LiftSessionEndBlock(HWND mainWindow)
{
    if (!BlockReasonShown)
        return;
    BlockReasonShown = false;
    if (ShutdownBlockCall.destroy)
        ShutdownBlockCall.destroy(mainWindow);
}
