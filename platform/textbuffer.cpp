#include "platform/textbuffer.h"

#include <cwchar>

HLOCAL TextBufferOf(HWND edit)
{
    return reinterpret_cast<HLOCAL>(SendMessageW(edit, EM_GETHANDLE, 0, 0));
}

HLOCAL MakeTextBlock(const wchar_t* text, size_t length)
{
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, (length + 1) * sizeof(wchar_t));
    if (!block)
        return nullptr;
    {
        LockedText locked(block);
        if (locked.get()) {
            wmemcpy(locked.get(), text, length);
            locked.get()[length] = L'\0';
            return block;
        }
    }
    LocalFree(block);
    return nullptr;
}
