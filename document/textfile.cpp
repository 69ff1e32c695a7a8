#include "document/textfile.h"

#include <cstring>

#include "app/editcontrol.h"
#include "app/textbuffer.h"
#include "document/titlestatus.h"
#include "prefs/recentfiles.h"
#include "res/resource.h"

namespace {

class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
    ~ScopedHandle()
    {
        if (valid())
            CloseHandle(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    void close()
    {
        if (valid())
            CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

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

bool WriteWhole(HANDLE file, const void* data, DWORD size)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    DWORD total = 0;
    while (total < size) {
        DWORD put = 0;
        if (!WriteFile(file, bytes + total, size - total, &put, nullptr) || put == 0)
            return false;
        total += put;
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

}  // namespace

bool EncodeText(const wchar_t* text, int length, bool unicode, UINT codePage, std::vector<BYTE>& bytes)
{
    if (unicode) {
        bytes.resize(2 + static_cast<size_t>(length) * sizeof(wchar_t));
        bytes[0] = 0xFF;
        bytes[1] = 0xFE;
        if (length)
            memcpy(bytes.data() + 2, text, static_cast<size_t>(length) * sizeof(wchar_t));
        return true;
    }
    bytes.clear();
    if (length == 0)
        return true;
    int needed = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return false;
    bytes.resize(static_cast<size_t>(needed));
    return WideCharToMultiByte(codePage, 0, text, length, reinterpret_cast<char*>(bytes.data()), needed, nullptr,
                               nullptr) == needed;
}

namespace {

// Writes bytes to a new file beside the target, then swaps it in, so that a
// failure at any point leaves the old contents where they were.
bool ReplaceFileContents(const wchar_t* path, const std::vector<BYTE>& bytes)
{
    wchar_t full[MAX_PATH];
    wchar_t* namePart = nullptr;
    DWORD fullLength = GetFullPathNameW(path, MAX_PATH, full, &namePart);
    if (fullLength == 0 || fullLength >= MAX_PATH || !namePart)
        return false;
    wchar_t folder[MAX_PATH];
    lstrcpynW(folder, full, static_cast<int>(namePart - full) + 1);
    wchar_t temporary[MAX_PATH];
    if (!GetTempFileNameW(folder, L"scr", 0, temporary))
        return false;

    ScopedHandle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    bool written = file.valid() && WriteWhole(file.get(), bytes.data(), static_cast<DWORD>(bytes.size())) &&
                   FlushFileBuffers(file.get());
    file.close();
    if (!written) {
        DeleteFileW(temporary);
        return false;
    }

    DWORD attributes = GetFileAttributesW(full);
    bool replaced;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        replaced = MoveFileW(temporary, full);
    } else if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        replaced = false;  // a read-only file or a folder is never overwritten
    } else {
        // A rename over the old file is atomic; it fails cleanly, leaving the
        // old file, while another program holds it open without sharing.
        replaced = MoveFileExW(temporary, full, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        // The new file has the attributes of a new file; a hidden one must stay hidden.
        if (replaced)
            SetFileAttributesW(full, attributes);
    }
    if (!replaced)
        DeleteFileW(temporary);
    return replaced;
}

}  // namespace

bool IsUnicodeFileText(const BYTE* bytes, DWORD size)
{
    if (size < 2)
        return false;
    int tests = IS_TEXT_UNICODE_SIGNATURE | IS_TEXT_UNICODE_REVERSE_SIGNATURE;
    return IsTextUnicode(bytes, static_cast<int>(size), &tests) != FALSE;
}

HLOCAL BuildTextBlock(const BYTE* bytes, DWORD size, bool unicode)
{
    // Room for the decoded text and its terminator: at most size + 1 code
    // units, either way.
    SIZE_T blockBytes = unicode ? size + 4 : 2 * static_cast<SIZE_T>(size) + 2;
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, blockBytes);
    if (!block)
        return nullptr;
    bool decoded;
    {
        LockedText locked(block);
        wchar_t* text = locked.get();
        if (!text) {
            decoded = false;
        } else if (unicode) {
            // An odd byte after the mark becomes a last unit with a zero high
            // byte; the zeroed block supplies that byte and the terminator.
            memcpy(text, bytes + 2, size - 2);
            decoded = true;
        } else {
            decoded = size == 0 || MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(bytes),
                                                       static_cast<int>(size), text, static_cast<int>(size) + 1) != 0;
        }
    }
    // Freed only once it is unlocked again.
    if (!decoded) {
        LocalFree(block);
        return nullptr;
    }
    return block;
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
    // read leaves the user's document as it was.
    std::vector<BYTE> bytes(static_cast<size_t>(size) + 2, 0);
    if (!ReadWhole(file.get(), bytes.data(), size))
        return 0;
    file.close();
    bool unicode = IsUnicodeFileText(bytes.data(), size);
    HLOCAL block = BuildTextBlock(bytes.data(), size, unicode);
    if (!block)
        return 0;

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
    std::vector<BYTE> bytes;
    {
        LockedText locked(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
        const wchar_t* text = locked.get();
        if (!text || !EncodeText(text, static_cast<int>(wcslen(text)), unicode != 0, CP_ACP, bytes))
            return 0;
    }
    if (!ReplaceFileContents(path, bytes))
        return 0;
    *isUnicode = unicode ? 1 : 0;
    *isModified = 0;
    return 1;
}
