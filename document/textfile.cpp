#include "document/textfile.h"

#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "app/editcontrol.h"
#include "app/textbuffer.h"
#include "document/safesave.h"
#include "document/scopedhandle.h"
#include "document/titlestatus.h"
#include "prefs/recentfiles.h"
#include "res/resource.h"

namespace {

const wchar_t kLargeFileMessage[] =
    L"The file you are attempting to open is larger than 500 kilobytes, and word wrap is currently enabled. "
    L"opening files with word wrap enabled is exponentially slower than when it is disabled. Would you like to "
    L"disable word wrap now?";

bool ReadWhole(HANDLE file, BYTE* buffer, DWORD size)
{
    DWORD total = 0;
    while (total < size) {
        DWORD got = 0;
        if (!ReadFile(file, buffer + total, size - total, &got, nullptr) || got == 0)
            return false;
        total += got;
    }
    return true;
}

void OfferToSwitchWrapOff(HWND mainWindow, DWORD size)
{
    HWND edit = GetDlgItem(mainWindow, IDC_EDIT);
    bool wrapOn = !(GetWindowLongPtrW(edit, GWL_STYLE) & WS_HSCROLL);
    if (size > kLargeFileThreshold && wrapOn &&
        MessageBoxW(mainWindow, kLargeFileMessage, L"Long Operation Warning - Scrivlet", MB_ICONWARNING | MB_YESNO) ==
            IDYES)
        SetWordWrap(mainWindow, 0);
}

const BYTE kByteOrderMark[2] = {0xFF, 0xFE};

// The text behind the mark is the file's bytes as they stand, so they are read
// straight into the control's next buffer: no second copy of a large file.
HLOCAL ReadUnicodeText(HANDLE file, DWORD size)
{
    const DWORD textBytes = size - sizeof(kByteOrderMark);
    // An odd last byte becomes a unit with a zero high byte, then the
    // terminator follows: three zero bytes behind the text at most.
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, static_cast<SIZE_T>(textBytes) + 4);
    if (!block)
        return nullptr;
    bool read;
    {
        LockedText locked(block);
        BYTE* bytes = reinterpret_cast<BYTE*>(locked.get());
        read = bytes && ReadWhole(file, bytes, textBytes);
        if (read)
            memset(bytes + textBytes, 0, 3);
    }
    // Freed only once it is unlocked again.
    if (!read) {
        LocalFree(block);
        return nullptr;
    }
    return block;
}

// head holds the headSize bytes already read from the start of the file.
HLOCAL ReadAnsiText(HANDLE file, const BYTE* head, DWORD headSize, DWORD size)
{
    // The block first: at twice the file's size it is the request that fails
    // when memory is short, and then nothing has been read in vain.
    const ULONGLONG blockBytes = 2ull * size + 2;
    if (blockBytes > static_cast<SIZE_T>(-1))
        return nullptr;
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, static_cast<SIZE_T>(blockBytes));
    if (!block)
        return nullptr;
    bool decoded = false;
    {
        std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[size + 1]);
        LockedText locked(block);
        wchar_t* text = locked.get();
        if (bytes && text) {
            memcpy(bytes.get(), head, headSize);
            if (ReadWhole(file, bytes.get() + headSize, size - headSize)) {
                int converted = size == 0
                                    ? 0
                                    : MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes.get()),
                                                          static_cast<int>(size), text, static_cast<int>(size) + 1);
                decoded = size == 0 || converted > 0;
                if (decoded)
                    text[converted] = L'\0';
            }
        }
    }
    if (!decoded) {
        LocalFree(block);
        return nullptr;
    }
    return block;
}

// The whole file as the control's next buffer, or null when it cannot be read
// or there is no memory for it.
HLOCAL ReadTextBlock(HANDLE file, DWORD size, bool* unicode)
{
    BYTE head[sizeof(kByteOrderMark)] = {};
    const DWORD headSize = size < sizeof(head) ? size : sizeof(head);
    if (!ReadWhole(file, head, headSize))
        return nullptr;
    *unicode = IsUnicodeFileText(head, headSize);
    return *unicode ? ReadUnicodeText(file, size) : ReadAnsiText(file, head, headSize, size);
}

}  // namespace

bool EncodeAnsiText(const wchar_t* text, size_t length, UINT codePage, std::unique_ptr<char[]>* bytes, int* size)
{
    *size = 0;
    if (length == 0)
        return true;
    if (length > INT_MAX)
        return false;
    const int units = static_cast<int>(length);
    int needed = WideCharToMultiByte(codePage, 0, text, units, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return false;
    bytes->reset(new (std::nothrow) char[needed]);
    if (!*bytes || WideCharToMultiByte(codePage, 0, text, units, bytes->get(), needed, nullptr, nullptr) != needed)
        return false;
    *size = needed;
    return true;
}

bool IsUnicodeFileText(const BYTE* bytes, DWORD size)
{
    if (size < 2)
        return false;
    int tests = IS_TEXT_UNICODE_SIGNATURE | IS_TEXT_UNICODE_REVERSE_SIGNATURE;
    return IsTextUnicode(bytes, static_cast<int>(size), &tests) != FALSE;
}

int Scrivlet_ReadFile(HWND mainWindow, const wchar_t* path, int* isModified, int* isUnicode)
{
    ScopedHandle file(
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return 0;
    DWORD high = 0;
    DWORD size = GetFileSize(file.get(), &high);
    // 2 GiB and more cannot be held: refuse before reading anything.
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || size >= 0x80000000u)
        return 0;

    OfferToSwitchWrapOff(mainWindow, size);

    // Read and decode completely before touching the control, so that a failed
    // read or a lack of memory leaves the user's document as it was.
    bool unicode = false;
    HLOCAL block = ReadTextBlock(file.get(), size, &unicode);
    if (!block)
        return 0;
    file.close();

    // The control shows the empty text until the message loop hands it the new
    // buffer; clearing first keeps the status refresh below consistent with that.
    SetWindowTextW(GetDlgItem(mainWindow, IDC_EDIT), L"");
    HandTextToEdit(mainWindow, block);

    *isModified = 0;
    *isUnicode = unicode ? 1 : 0;
    RefreshTitleAndStatus(mainWindow);
    AddRecentFile(mainWindow, path);
    return 1;
}

int Scrivlet_WriteFile(HWND mainWindow, const wchar_t* path, int* isModified, int unicode, int* isUnicode)
{
    if (!path || !path[0])
        return 0;
    LockedText locked(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
    const wchar_t* text = locked.get();
    if (!text)
        return 0;
    const size_t length = wcslen(text);
    bool stored;
    if (unicode) {
        // Straight from the control's buffer: saving takes no memory of its own.
        const FilePiece pieces[] = {{kByteOrderMark, sizeof(kByteOrderMark)}, {text, length * sizeof(wchar_t)}};
        stored = StoreFileContents(path, pieces, 2);
    } else {
        std::unique_ptr<char[]> bytes;
        int size = 0;
        if (!EncodeAnsiText(text, length, CP_ACP, &bytes, &size))
            return 0;
        const FilePiece piece = {bytes.get(), static_cast<size_t>(size)};
        stored = StoreFileContents(path, &piece, 1);
    }
    if (!stored)
        return 0;
    *isUnicode = unicode ? 1 : 0;
    *isModified = 0;
    return 1;
}
