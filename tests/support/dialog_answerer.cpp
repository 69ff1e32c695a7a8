#include "tests/support/dialog_answerer.h"

#include "tests/support/wait.h"

DialogAnswerer::DialogAnswerer(int buttonId, DWORD timeoutMs)
    : thread_([this, buttonId, timeoutMs] { Run(buttonId, timeoutMs); })
{
}

DialogAnswerer::~DialogAnswerer()
{
    Finish();
}

bool DialogAnswerer::Finish()
{
    stop_ = true;
    thread_.join();
    return answered_;
}

void DialogAnswerer::Run(int buttonId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    HWND dialog = nullptr;
    while (!(dialog = FindProcessDialog(GetCurrentProcessId()))) {
        if (stop_ || (timeoutMs != INFINITE && GetTickCount() - start > timeoutMs))
            return;
        Sleep(10);
    }
    caption_ = WindowText(dialog);
    text_ = MessageBoxText(dialog);
    HWND button = GetDlgItem(dialog, buttonId);
    if (!button) {
        DWORD_PTR defaultId = 0;
        SendMessageTimeoutW(dialog, DM_GETDEFID, 0, 0, SMTO_NORMAL, kDefaultWaitMs, &defaultId);
        button = HIWORD(defaultId) == DC_HASDEFID ? GetDlgItem(dialog, LOWORD(defaultId)) : nullptr;
    }
    if (!button)
        return;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, kDefaultWaitMs, nullptr);
    answered_ = true;
}
