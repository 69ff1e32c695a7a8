#include "tests/support/dialog_answerer.h"

#include "tests/support/wait.h"

DialogAnswerer::DialogAnswerer(int buttonId, DWORD timeoutMs)
    : thread_([this, buttonId, timeoutMs] { Run(buttonId, timeoutMs); })
{
}

DialogAnswerer::~DialogAnswerer()
{
    if (thread_.joinable())
        thread_.join();
}

bool DialogAnswerer::Finish()
{
    if (thread_.joinable())
        thread_.join();
    return answered_;
}

void DialogAnswerer::Run(int buttonId, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    HWND dialog = nullptr;
    while (!(dialog = FindProcessDialog(GetCurrentProcessId()))) {
        if (GetTickCount() - start > timeoutMs)
            return;
        Sleep(10);
    }
    caption_ = WindowText(dialog);
    text_ = MessageBoxText(dialog);
    HWND button = GetDlgItem(dialog, buttonId);
    if (!button)
        return;
    SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, nullptr);
    answered_ = true;
}
