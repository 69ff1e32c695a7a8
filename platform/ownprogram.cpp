#include "platform/ownprogram.h"

#include <shellapi.h>

bool StartOwnProgram(HWND owner, const wchar_t* parameters)
{
    wchar_t program[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    HINSTANCE started = ShellExecuteW(owner, L"open", program, parameters, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
}
