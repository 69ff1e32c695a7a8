// Stands in for a DLL that a download put beside the program under a system
// DLL's name: whenever something maps it, it leaves NAME.loaded beside itself.
#include <windows.h>

#include <cwchar>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    const wchar_t suffix[] = L".loaded";
    wchar_t marker[MAX_PATH];
    DWORD length = GetModuleFileNameW(instance, marker, MAX_PATH);
    if (length == 0 || length + wcslen(suffix) >= MAX_PATH)
        return TRUE;
    wcscpy(marker + length, suffix);
    HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}
