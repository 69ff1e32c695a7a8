#include "bench/floor_edit.h"

namespace {

const wchar_t kFloorClass[] = L"ScrivletFloor";

}  // namespace

HWND CreateFloorEdit(DWORD style, DWORD exStyle, int width, int height, HFONT font)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kFloorClass;
    RegisterClassExW(&windowClass);
    RECT outer = {0, 0, width, height};
    AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, 0);
    HWND window = CreateWindowExW(0, kFloorClass, L"Floor", WS_OVERLAPPEDWINDOW, 0, 0, outer.right - outer.left,
                                  outer.bottom - outer.top, nullptr, nullptr, instance, nullptr);
    if (!window)
        return nullptr;
    HWND edit = CreateWindowExW(exStyle, L"EDIT", L"", style, 0, 0, width, height, window, nullptr, instance, nullptr);
    if (edit)
        SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    return edit;
}

HLOCAL ReadFloorText(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return nullptr;
    DWORD size = GetFileSize(file, nullptr);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const char* bytes = mapping ? static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
    HLOCAL block = nullptr;
    if (bytes) {
        bool unicode = size >= 2 && static_cast<BYTE>(bytes[0]) == 0xFF && static_cast<BYTE>(bytes[1]) == 0xFE;
        int length = unicode ? static_cast<int>((size - 2) / 2)
                             : MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), nullptr, 0);
        block = LocalAlloc(LMEM_MOVEABLE, (static_cast<SIZE_T>(length) + 1) * sizeof(wchar_t));
        wchar_t* text = block ? static_cast<wchar_t*>(LocalLock(block)) : nullptr;
        if (text) {
            if (unicode)
                memcpy(text, bytes + 2, static_cast<size_t>(length) * sizeof(wchar_t));
            else
                MultiByteToWideChar(CP_ACP, 0, bytes, static_cast<int>(size), text, length);
            text[length] = L'\0';
            LocalUnlock(block);
        }
        UnmapViewOfFile(bytes);
    }
    if (mapping)
        CloseHandle(mapping);
    CloseHandle(file);
    return block;
}

void HandFloorText(HWND edit, HLOCAL block)
{
    SendMessageW(edit, EM_LIMITTEXT, 0, 0);
    SendMessageW(edit, EM_SETHANDLE, reinterpret_cast<WPARAM>(block), 0);
}
