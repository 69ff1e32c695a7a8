#include "document/textfile.h"

#include <climits>
#include <cwchar>
#include <cstring>
#include <memory>
#include <new>

#include "platform/framemessages.h"
#include "platform/textbuffer.h"
#include "document/encoding.h"
#include "document/fileversion.h"
#include "document/safesave.h"
#include "platform/scopedhandle.h"
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
        SendMessageW(mainWindow, WM_SCRIVLET_SETWORDWRAP, 0, 0);
}

// Shows the text's zero characters, which the control cannot hold, as a
// stand-in that the file's text does not use, so that a save can turn each
// back. False only when the text uses every candidate.
bool ShowZeros(wchar_t* text, size_t length, TextFormat* format)
{
    format->NullStandIn = 0;
    if (!wmemchr(text, L'\0', length))
        return true;
    format->NullStandIn = ChooseNullStandIn(text, length);
    ReplaceUnits(text, length, L'\0', format->NullStandIn);
    return format->NullStandIn != 0;
}

// Decoded text of length units, with room for growth more behind it, put in
// the control's form: CR LF line ends, a terminator and the zeros' stand-in.
bool FinishDecodedText(wchar_t* text, size_t length, size_t growth, TextFormat* format)
{
    ExpandLineEnds(text, length, growth);
    text[length + growth] = L'\0';
    return ShowZeros(text, length + growth, format);
}

// The block when it came out whole; otherwise null, the block freed (it must
// be unlocked by then).
HLOCAL KeptIfWhole(bool whole, HLOCAL block)
{
    if (whole)
        return block;
    LocalFree(block);
    return nullptr;
}

// The block holds length UTF-16 units in the file's byte order: puts them in
// the machine's, and the line ends and zeros in the control's form. Returns
// the (perhaps moved) block, or null, having freed it, when there is no
// memory for longer line ends.
HLOCAL SettleUtf16Block(HLOCAL block, size_t length, bool bigEndian, TextFormat* format)
{
    LineEndCounts counts;
    {
        LockedText locked(block);
        if (!locked.get()) {
            LocalFree(block);
            return nullptr;
        }
        if (bigEndian)
            SwapUnits(locked.get(), length);
        counts = CountLineEnds(locked.get(), length);
    }
    format->LineEnds = ChooseLineEnds(counts);
    const size_t growth = LineEndGrowth(counts, format->LineEnds);
    if (growth) {
        HLOCAL grown = LocalReAlloc(block, (length + growth + 1) * sizeof(wchar_t), LMEM_MOVEABLE);
        if (!grown) {
            LocalFree(block);
            return nullptr;
        }
        block = grown;
    }
    bool settled;
    {
        LockedText locked(block);
        settled = locked.get() && FinishDecodedText(locked.get(), length, growth, format);
    }
    return KeptIfWhole(settled, block);
}

// A marked UTF-16 file: the units behind the mark are read straight into the
// control's next buffer, so a large file is not held twice.
HLOCAL ReadMarkedUtf16(HANDLE file, DWORD size, TextEncoding encoding, TextFormat* format, ContentHash* hash)
{
    const DWORD textBytes = size - 2;
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, static_cast<SIZE_T>(textBytes) + 4);
    if (!block)
        return nullptr;
    bool read;
    {
        LockedText locked(block);
        BYTE* bytes = reinterpret_cast<BYTE*>(locked.get());
        read = bytes && ReadWhole(file, bytes, textBytes);
        if (read)
            hash->Add(bytes, textBytes);
        if (read && textBytes % 2) {
            format->HasOddByte = 1;
            format->OddByte = bytes[textBytes - 1];
        }
    }
    // Freed only once it is unlocked again.
    if (!read) {
        LocalFree(block);
        return nullptr;
    }
    format->Encoding = encoding;
    format->HasMark = 1;
    return SettleUtf16Block(block, textBytes / 2, encoding == kUtf16BeText, format);
}

// The other files, whose encoding only their whole contents tell: bytes holds
// them, and is decoded into a block sized exactly for the control's text.
HLOCAL DecodeBytes(const BYTE* bytes, DWORD size, TextFormat* format)
{
    *format = DetectFormat(bytes, size);
    if (format->Encoding == kUtf16LeText || format->Encoding == kUtf16BeText) {
        HLOCAL block = MakeTextBlock(reinterpret_cast<const wchar_t*>(bytes), size / 2);
        return block ? SettleUtf16Block(block, size / 2, format->Encoding == kUtf16BeText, format) : nullptr;
    }
    const bool utf8 = format->Encoding == kUtf8Text;
    const size_t skip = utf8 && format->HasMark ? 3 : 0;
    const BYTE* source = bytes + skip;
    const DWORD sourceSize = size - static_cast<DWORD>(skip);
    const LineEndCounts counts = CountLineEnds(source, sourceSize);
    format->LineEnds = ChooseLineEnds(counts);
    const size_t growth = LineEndGrowth(counts, format->LineEnds);
    const char* ansi = reinterpret_cast<const char*>(source);
    size_t length = 0;
    if (utf8)
        length = Utf8Length(source, sourceSize);
    else if (sourceSize)
        length = MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(sourceSize), nullptr, 0);
    if (sourceSize && !length)
        return nullptr;
    const ULONGLONG blockBytes = (static_cast<ULONGLONG>(length) + growth + 1) * sizeof(wchar_t);
    if (blockBytes > static_cast<SIZE_T>(-1))
        return nullptr;
    HLOCAL block = LocalAlloc(LMEM_MOVEABLE, static_cast<SIZE_T>(blockBytes));
    if (!block)
        return nullptr;
    bool decoded;
    {
        LockedText locked(block);
        wchar_t* text = locked.get();
        decoded = text != nullptr;
        if (decoded && utf8)
            DecodeUtf8(source, sourceSize, text);
        else if (decoded && length)
            decoded = MultiByteToWideChar(CP_ACP, 0, ansi, static_cast<int>(sourceSize), text,
                                          static_cast<int>(length)) == static_cast<int>(length);
        decoded = decoded && FinishDecodedText(text, length, growth, format);
    }
    return KeptIfWhole(decoded, block);
}

// The whole file as the control's next buffer, or null when it cannot be read
// or there is no memory for it. hash takes the bytes as they are read.
HLOCAL ReadTextBlock(HANDLE file, DWORD size, TextFormat* format, ContentHash* hash)
{
    *format = PlainTextFormat();
    BYTE head[2] = {};
    const DWORD headSize = size < sizeof(head) ? size : sizeof(head);
    if (!ReadWhole(file, head, headSize))
        return nullptr;
    hash->Add(head, headSize);
    if (TextEncoding marked = Utf16MarkOf(head, headSize))
        return ReadMarkedUtf16(file, size, marked, format, hash);
    std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[size + 1]);
    if (!bytes)
        return nullptr;
    memcpy(bytes.get(), head, headSize);
    if (!ReadWhole(file, bytes.get() + headSize, size - headSize))
        return nullptr;
    hash->Add(bytes.get() + headSize, size - headSize);
    return DecodeBytes(bytes.get(), size, format);
}

bool IsUtf16(TextEncoding encoding)
{
    return encoding == kUtf16LeText || encoding == kUtf16BeText;
}

// The text with its stand-ins turned back into zero characters, for the
// platform's converter; null when there is no memory.
std::unique_ptr<wchar_t[]> WithZeros(const wchar_t* text, size_t length, wchar_t standIn)
{
    std::unique_ptr<wchar_t[]> copy(new (std::nothrow) wchar_t[length ? length : 1]);
    if (copy) {
        wmemcpy(copy.get(), text, length);
        ReplaceUnits(copy.get(), length, standIn, L'\0');
    }
    return copy;
}

// The file's bytes for text in the ANSI code page. *lossless tells whether
// every character was there to be had.
bool EncodeAnsiFile(const wchar_t* text, size_t length, const TextFormat& format, std::unique_ptr<char[]>* bytes,
                    int* size, bool* lossless)
{
    std::unique_ptr<wchar_t[]> zeros;
    if (format.NullStandIn && wmemchr(text, format.NullStandIn, length)) {
        zeros = WithZeros(text, length, format.NullStandIn);
        if (!zeros)
            return false;
        text = zeros.get();
    }
    if (!EncodeAnsiText(text, length, CP_ACP, bytes, size, lossless))
        return false;
    *size = static_cast<int>(CompactLineEnds(reinterpret_cast<BYTE*>(bytes->get()), *size, format.LineEnds));
    return true;
}

}  // namespace

bool EncodeAnsiText(const wchar_t* text, size_t length, UINT codePage, std::unique_ptr<char[]>* bytes, int* size,
                    bool* lossless)
{
    *size = 0;
    if (lossless)
        *lossless = true;
    if (length == 0)
        return true;
    if (length > INT_MAX)
        return false;
    const int units = static_cast<int>(length);
    // No look-alikes: a character the code page lacks is one the save loses.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    int needed = WideCharToMultiByte(codePage, flags, text, units, nullptr, 0, nullptr, &usedDefault);
    if (needed <= 0)
        return false;
    if (lossless)
        *lossless = !usedDefault;
    bytes->reset(new (std::nothrow) char[needed]);
    if (!*bytes || WideCharToMultiByte(codePage, flags, text, units, bytes->get(), needed, nullptr, nullptr) != needed)
        return false;
    *size = needed;
    return true;
}

namespace {

enum class LoadKind {
    Open,    // a file the user chose: asks about word wrap, joins the recent list
    Reload,  // the document's own file, changed by another program
};

int LoadTextFile(HWND mainWindow, const wchar_t* path, LoadKind kind, int* isModified, TextFormat* format,
                 FileVersion* version)
{
    // A reload opens only what is there (the file may have gone in between)
    // and lets the program that changed it go on writing.
    const bool reload = kind == LoadKind::Reload;
    ScopedHandle file(CreateFileW(path, GENERIC_READ,
                                  reload ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE : FILE_SHARE_READ,
                                  nullptr, reload ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return 0;
    DWORD high = 0;
    DWORD size = GetFileSize(file.get(), &high);
    // 2 GiB and more cannot be held: refuse before reading anything.
    if ((size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || size >= 0x80000000u)
        return 0;

    if (!reload)
        OfferToSwitchWrapOff(mainWindow, size);

    // Read and decode completely before touching the control, so that a failed
    // read or a lack of memory leaves the user's document as it was.
    TextFormat read;
    ContentHash hash;
    HLOCAL block = ReadTextBlock(file.get(), size, &read, &hash);
    if (!block)
        return 0;
    FileVersion readVersion = {};
    readVersion.Known = ReadFileIdentity(file.get(), &readVersion);
    readVersion.Hash = hash.Value();
    file.close();

    // The control shows the empty text until the message loop hands it the new
    // buffer; clearing first keeps the status refresh below consistent with that.
    SetWindowTextW(GetDlgItem(mainWindow, IDC_EDIT), L"");
    HandTextToEdit(mainWindow, block);

    *isModified = 0;
    *format = read;
    if (version)
        *version = readVersion;
    RefreshTitleAndStatus(mainWindow);
    if (!reload)
        AddRecentFile(mainWindow, path);
    return 1;
}

}  // namespace

int Scrivlet_ReadFile(HWND mainWindow, const wchar_t* path, int* isModified, TextFormat* format, FileVersion* version)
{
    return LoadTextFile(mainWindow, path, LoadKind::Open, isModified, format, version);
}

int ReloadTextFile(HWND mainWindow, const wchar_t* path, int* isModified, TextFormat* format, FileVersion* version)
{
    return LoadTextFile(mainWindow, path, LoadKind::Reload, isModified, format, version);
}

bool TextFitsFormat(HWND mainWindow, const TextFormat& format)
{
    LockedText locked(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
    const wchar_t* text = locked.get();
    if (!text)
        return true;  // nothing to lose; the write itself will fail
    const size_t length = wcslen(text);
    bool lossless = true;
    if (format.Encoding == kAnsiText) {
        std::unique_ptr<char[]> bytes;
        int size = 0;
        EncodeAnsiFile(text, length, format, &bytes, &size, &lossless);
    } else {
        EncodedSize(text, length, format, &lossless);
    }
    return lossless;
}

SaveResult Scrivlet_WriteFile(HWND mainWindow, const wchar_t* path, int* isModified, const TextFormat& target,
                              TextFormat* format, bool allowLoss, StoreFailure* failure, FileVersion* version)
{
    if (!path || !path[0])
        return SaveResult::Failed;
    LockedText locked(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
    const wchar_t* text = locked.get();
    if (!text)
        return SaveResult::Failed;
    const size_t length = wcslen(text);
    TextFormat written = target;
    if (!IsUtf16(written.Encoding))
        written.HasOddByte = 0;
    const BYTE littleEndianMark[] = {0xFF, 0xFE};
    FilePiece pieces[3];
    size_t count = 0;
    std::unique_ptr<char[]> ansiBytes;
    std::unique_ptr<BYTE[]> encodedBytes;
    if (written.Encoding == kAnsiText) {
        int size = 0;
        bool lossless;
        if (!EncodeAnsiFile(text, length, written, &ansiBytes, &size, &lossless))
            return SaveResult::Failed;
        if (!lossless && !allowLoss)
            return SaveResult::WouldLoseText;
        pieces[count++] = {ansiBytes.get(), static_cast<size_t>(size)};
    } else if (written.Encoding == kUtf16LeText && written.LineEnds == kCrLfLineEnds &&
               !(written.NullStandIn && wmemchr(text, written.NullStandIn, length))) {
        // Straight from the control's buffer: saving takes no memory of its own.
        if (written.HasMark)
            pieces[count++] = {littleEndianMark, sizeof(littleEndianMark)};
        pieces[count++] = {text, length * sizeof(wchar_t)};
        if (written.HasOddByte)
            pieces[count++] = {&written.OddByte, 1};
    } else {
        bool lossless;
        const size_t size = EncodedSize(text, length, written, &lossless);
        if (!lossless && !allowLoss)
            return SaveResult::WouldLoseText;
        encodedBytes.reset(new (std::nothrow) BYTE[size ? size : 1]);
        if (!encodedBytes)
            return SaveResult::Failed;
        EncodeText(text, length, written, encodedBytes.get());
        pieces[count++] = {encodedBytes.get(), size};
    }
    if (!StoreFileContents(path, pieces, count, failure))
        return SaveResult::Failed;
    if (version) {
        ContentHash hash;
        for (size_t i = 0; i < count; ++i)
            hash.Add(pieces[i].data, pieces[i].size);
        // A replace gives the name a new file: its identity is read afresh.
        *version = {};
        version->Known = ReadFileIdentityAt(path, version);
        version->Hash = hash.Value();
    }
    *format = written;
    *isModified = 0;
    return SaveResult::Saved;
}
