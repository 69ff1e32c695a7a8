#include "platform/messages.h"

const wchar_t* const kErrorCaption = L"Scrivlet v2.0 - Error";

void ShowErrorMessage(const wchar_t* text)
{
    MessageBoxW(GetForegroundWindow(), text, kErrorCaption, MB_OK | MB_ICONERROR);
}
