#include "document/textfile.h"

#include <climits>
#include <cwchar>
#include <cstring>
#include <memory>
#include <new>

#include "document/ansitext.h"
#include "document/documentchange.h"
#include "document/encoding.h"
#include "document/filecheck.h"
#include "document/fileversion.h"
#include "document/loadprogress.h"
#include "document/loadroom.h"
#include "document/openquestion.h"
#include "document/safesave.h"
#include "document/titlestatus.h"
#include "platform/framemessages.h"
#include "platform/messages.h"
#include "platform/scopedhandle.h"
#include "platform/textbuffer.h"
#include "prefs/recentfiles.h"
#include "res/resource.h"

namespace {

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

// Decoded text of length units, whose line ends counts holds, put in the
// control's form: CR LF line ends, a terminator and the zeros' stand-in.
// The block has room for room more units behind the text; false when the
// line ends need more than that.
bool FinishDecodedText(wchar_t* text, size_t length, const LineEndCounts& counts, size_t room, TextFormat* format)
{
    format->LineEnds = ChooseLineEnds(counts);
    const size_t growth = LineEndGrowth(counts, format->LineEnds);
    if (growth > room)
        return false;
    ExpandLineEnds(text, length, growth);
    text[length + growth] = L'\0';
    return ShowZeros(text, length + growth, format);
}

// The units that turning every lone CR and LF into CR LF would add: room
// enough for the line ends of the text they decode into.
template <class Unit>
size_t MostGrowth(const Unit* text, size_t length)
{
    return LineEndGrowth(CountLineEnds(text, length), kLfLineEnds);
}

// A UTF-16 unit stored in the file's byte order, compared as a character.
template <bool BigEndian>
struct StoredUnit {
    uint8_t first, second;
    bool operator==(char c) const
    {
        return (BigEndian ? first : second) == 0 && static_cast<uint8_t>(BigEndian ? second : first) == c;
    }
};

HLOCAL NewTextBlock(size_t units)
{
    const ULONGLONG bytes = static_cast<ULONGLONG>(units) * sizeof(wchar_t);
    return bytes > static_cast<SIZE_T>(-1) ? nullptr : LocalAlloc(LMEM_MOVEABLE, static_cast<SIZE_T>(bytes));
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

// Reads the textBytes behind a UTF-16 mark into text, in the machine's byte
// order; hash, when given, takes them. The last byte of an odd number is
// noted in format.
bool ReadUnits(HANDLE file, wchar_t* text, DWORD textBytes, bool bigEndian, ContentHash* hash, TextFormat* format,
               LoadProgress* progress)
{
    BYTE* bytes = reinterpret_cast<BYTE*>(text);
    if (!progress->Read(file, bytes, textBytes))
        return false;
    if (hash)
        hash->Add(bytes, textBytes);
    if (textBytes % 2) {
        format->HasOddByte = 1;
        format->OddByte = bytes[textBytes - 1];
    }
    if (bigEndian)
        SwapUnits(text, textBytes / 2);
    return true;
}

// A marked UTF-16 file: the units behind the mark are read straight into the
// control's next buffer, so a large file is not held twice. When its line
// ends need more room than the buffer has, it is read again into a larger
// one, taken only once the first is freed. hash holds the mark's bytes.
HLOCAL ReadMarkedUtf16(HANDLE file, DWORD size, TextEncoding encoding, TextFormat* format, ContentHash* hash,
                       LoadProgress* progress)
{
    format->Encoding = encoding;
    format->HasMark = 1;
    const bool bigEndian = encoding == kUtf16BeText;
    const DWORD textBytes = size - 2;
    const size_t length = textBytes / 2;
    size_t capacity = (static_cast<size_t>(textBytes) + 4) / sizeof(wchar_t);
    HLOCAL block = NewTextBlock(capacity);
    if (!block)
        return nullptr;
    const ContentHash markOnly = *hash;
    LineEndCounts counts = {};
    bool read;
    {
        LockedText locked(block);
        read = locked.get() && ReadUnits(file, locked.get(), textBytes, bigEndian, hash, format, progress);
        if (read)
            counts = CountLineEnds(locked.get(), length);
    }
    if (!read) {
        LocalFree(block);
        return nullptr;
    }
    const size_t growth = LineEndGrowth(counts, ChooseLineEnds(counts));
    if (length + growth + 1 > capacity) {
        LocalFree(block);
        capacity = length + growth + 1;
        block = NewTextBlock(capacity);
        const LARGE_INTEGER behindMark = {{2, 0}};
        if (!block)
            return nullptr;
        // A reload lets other programs write the file meanwhile: the text is
        // what this read gives, and so are its hash and its line ends.
        *hash = markOnly;
        LockedText locked(block);
        read = locked.get() && SetFilePointerEx(file, behindMark, nullptr, FILE_BEGIN) &&
               ReadUnits(file, locked.get(), textBytes, bigEndian, hash, format, progress);
        if (read)
            counts = CountLineEnds(locked.get(), length);
    }
    bool settled;
    {
        LockedText locked(block);
        settled =
            read && locked.get() && FinishDecodedText(locked.get(), length, counts, capacity - length - 1, format);
    }
    return KeptIfWhole(settled, block);
}

// UTF-16 whose whole contents are in hand: the units behind the mark, if
// any, put in the machine's byte order, in a block with room for their line
// ends; the last byte of an odd number is noted in format.
template <bool BigEndian>
HLOCAL DecodeUtf16(const BYTE* bytes, DWORD size, TextFormat* format)
{
    const DWORD skip = format->HasMark ? 2 : 0;
    bytes += skip;
    size -= skip;
    if (size % 2) {
        format->HasOddByte = 1;
        format->OddByte = bytes[size - 1];
    }
    const size_t length = size / 2;
    const size_t room = MostGrowth(reinterpret_cast<const StoredUnit<BigEndian>*>(bytes), length);
    HLOCAL block = NewTextBlock(length + room + 1);
    if (!block)
        return nullptr;
    bool decoded;
    {
        LockedText locked(block);
        wchar_t* text = locked.get();
        decoded = text != nullptr;
        if (decoded) {
            memcpy(text, bytes, length * sizeof(wchar_t));
            if (BigEndian)
                SwapUnits(text, length);
            decoded = FinishDecodedText(text, length, CountLineEnds(text, length), room, format);
        }
    }
    return KeptIfWhole(decoded, block);
}

// A file's whole contents as the control's next buffer.
HLOCAL DecodeBytes(const BYTE* bytes, DWORD size, UINT codePage, TextFormat* format)
{
    *format = DetectFormat(bytes, size);
    if (format->Encoding == kUtf16LeText)
        return DecodeUtf16<false>(bytes, size, format);
    if (format->Encoding == kUtf16BeText)
        return DecodeUtf16<true>(bytes, size, format);
    const bool utf8 = format->Encoding == kUtf8Text;
    const size_t skip = utf8 && format->HasMark ? 3 : 0;
    const BYTE* source = bytes + skip;
    const size_t sourceSize = size - skip;
    const char* ansi = reinterpret_cast<const char*>(source);
    // Each CR and LF byte is one CR or LF of the text in both (see
    // AnsiTextLength), so their lone ones bound the room the text needs.
    const size_t room = MostGrowth(source, sourceSize);
    bool replaced = false;
    const size_t length = utf8 ? Utf8Length(source, sourceSize) : AnsiTextLength(ansi, sourceSize, codePage, &replaced);
    if (sourceSize && !length)
        return nullptr;
    HLOCAL block = NewTextBlock(length + room + 1);
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
            decoded = DecodeAnsiText(ansi, sourceSize, codePage, text, length);
        decoded = decoded && FinishDecodedText(text, length, CountLineEnds(text, length), room, format);
    }
    format->HasReplacedBytes = replaced ? 1 : 0;
    format->RecodedCharacters = utf8 || !decoded ? 0 : RecodedCharacters(ansi, sourceSize, codePage);
    return KeptIfWhole(decoded, block);
}

// The whole file as the control's next buffer, or null when it cannot be read
// or there is no memory for it. hash takes the bytes as they are read.
HLOCAL ReadTextBlock(HANDLE file, DWORD size, UINT codePage, TextFormat* format, ContentHash* hash,
                     LoadProgress* progress)
{
    *format = PlainTextFormat();
    BYTE head[2] = {};
    const DWORD headSize = size < sizeof(head) ? size : sizeof(head);
    if (!progress->Read(file, head, headSize))
        return nullptr;
    hash->Add(head, headSize);
    if (TextEncoding marked = Utf16MarkOf(head, headSize))
        return ReadMarkedUtf16(file, size, marked, format, hash, progress);
    std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[size + 1]);
    if (!bytes)
        return nullptr;
    memcpy(bytes.get(), head, headSize);
    if (!progress->Read(file, bytes.get() + headSize, size - headSize))
        return nullptr;
    hash->Add(bytes.get() + headSize, size - headSize);
    if (!progress->Converting())
        return nullptr;
    HLOCAL block = DecodeBytes(bytes.get(), size, codePage, format);
    // A Cancel pressed during the conversion is answered as soon as it ends.
    const bool wanted = progress->Converting();
    return KeptIfWhole(wanted, block);
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
bool EncodeAnsiFile(const wchar_t* text, size_t length, const TextFormat& format, UINT codePage,
                    std::unique_ptr<char[]>* bytes, size_t* size, bool* lossless)
{
    std::unique_ptr<wchar_t[]> zeros;
    if (format.NullStandIn && wmemchr(text, format.NullStandIn, length)) {
        zeros = WithZeros(text, length, format.NullStandIn);
        if (!zeros)
            return false;
        text = zeros.get();
    }
    int encoded = 0;
    if (!EncodeAnsiText(text, length, codePage, bytes, &encoded, lossless))
        return false;
    // No trail byte of a multi-byte code page is CR or LF.
    *size = CompactLineEnds(reinterpret_cast<BYTE*>(bytes->get()), static_cast<size_t>(encoded), format.LineEnds);
    return true;
}

}  // namespace

HLOCAL DecodeFileText(const BYTE* bytes, DWORD size, UINT codePage, TextFormat* format)
{
    return DecodeBytes(bytes, size, codePage, format);
}

bool EncodeFileText(const wchar_t* text, size_t length, const TextFormat& format, UINT codePage,
                    std::unique_ptr<char[]>* bytes, size_t* size, bool* lossless)
{
    if (format.Encoding == kAnsiText)
        return EncodeAnsiFile(text, length, format, codePage, bytes, size, lossless);
    *size = EncodedSize(text, length, format, lossless);
    bytes->reset(new (std::nothrow) char[*size ? *size : 1]);
    if (!*bytes)
        return false;
    EncodeText(text, length, format, reinterpret_cast<uint8_t*>(bytes->get()));
    return true;
}

namespace {

// Whether bytes open as text again, decoded as the loader decodes a file
// (the same detection an open makes); *readsAs is the encoding they open
// as. False when there is no memory to tell. Bytes the loader refuses for
// their size are not judged.
bool JudgeBytes(const char* bytes, size_t size, UINT codePage, const wchar_t* text, size_t length, bool* same,
                TextEncoding* readsAs)
{
    *same = true;
    if (size >= 0x80000000u)
        return true;
    TextFormat opened;
    HLOCAL block = DecodeFileText(reinterpret_cast<const BYTE*>(bytes), static_cast<DWORD>(size), codePage, &opened);
    if (!block)
        return false;
    *readsAs = opened.Encoding;
    {
        LockedText locked(block);
        const wchar_t* reopened = locked.get();
        *same = reopened && wcslen(reopened) == length && wmemcmp(reopened, text, length) == 0;
    }
    LocalFree(block);
    return true;
}

// A marked UTF-16LE file opens as its units, which keep their line ends as
// long as CR LF is the most frequent of them: the control's buffer written
// as it stands needs no copy to be judged.
bool OpensAsItsOwnUnits(const wchar_t* text, size_t length)
{
    return ChooseLineEnds(CountLineEnds(text, length)) == kCrLfLineEnds;
}

}  // namespace

bool PlanSave(const wchar_t* text, size_t length, const TextFormat& target, UINT codePage, SavePlan* plan)
{
    TextFormat own = target;
    own.HasReplacedBytes = 0;
    own.RecodedCharacters = 0;
    if (!IsUtf16(own.Encoding))
        own.HasOddByte = 0;
    plan->asItStands = false;
    plan->bytes.reset();
    plan->size = 0;
    plan->written = own;
    plan->kept = KeptForm::None;
    plan->readsAs = own.Encoding;
    plan->doubts = target.HasReplacedBytes ? static_cast<unsigned>(kReplacedBytesDoubt) : 0u;
    if (own.Encoding == kAnsiText && target.RecodedCharacters)
        plan->doubts |= kRecodedDoubt;
    if (own.Encoding == kUtf16LeText && own.HasMark && own.LineEnds == kCrLfLineEnds &&
        !(own.NullStandIn && wmemchr(text, own.NullStandIn, length)) && OpensAsItsOwnUnits(text, length)) {
        plan->asItStands = true;  // straight from the control's buffer: saving takes no memory of its own
        return true;
    }

    // The nearest forms first: the target's own, then its line ends as
    // CR LF (units of CR LF tell UTF-16; an odd count of bytes tells it is
    // not), then a mark, which decides alone.
    TextFormat forms[3];
    KeptForm kept[3];
    size_t count = 0;
    forms[count] = own;
    kept[count++] = KeptForm::None;
    if (own.LineEnds != kCrLfLineEnds) {
        forms[count] = own;
        forms[count].LineEnds = kCrLfLineEnds;
        kept[count++] = KeptForm::CrLfLineEnds;
    }
    if (!own.HasMark && own.Encoding != kAnsiText) {
        forms[count] = own;
        forms[count].HasMark = 1;
        kept[count++] = KeptForm::Mark;
    }
    for (size_t i = 0; i < count; ++i) {
        std::unique_ptr<char[]> bytes;
        size_t size = 0;
        bool lossless = true, same = true;
        TextEncoding readsAs = forms[i].Encoding;
        if (!EncodeFileText(text, length, forms[i], codePage, &bytes, &size, &lossless) ||
            (lossless && !JudgeBytes(bytes.get(), size, codePage, text, length, &same, &readsAs)))
            return false;
        if (i == 0 || same) {
            plan->bytes = std::move(bytes);
            plan->size = size;
            plan->written = forms[i];
            plan->kept = kept[i];
        }
        if (i == 0)
            plan->readsAs = readsAs;
        if (!lossless) {
            // Text that is lost cannot open the same in any form: the loss
            // itself is what the user is asked about.
            plan->doubts |= kLostCharactersDoubt;
            return true;
        }
        if (same)
            return true;
    }
    plan->doubts |= kOtherTextDoubt;
    return true;
}

namespace {

void NothingBetween(const wchar_t*) {}

}  // namespace

void (*AfterFileBytesRead)(const wchar_t* path) = NothingBetween;

namespace {

const int kMessageCapacity = 1024;

// Why the last load opened nothing while leaving the document as it was:
// its file refused for its size before a byte was read, or the user's No or
// Cancel, which the user needs no box about.
struct SizeRefusal {
    enum { None, AboveLimit, NoRoom, Declined } reason;
    ULONGLONG size, largest;
};
SizeRefusal LastRefusal = {};

}  // namespace

void ShowLoadFailure(const wchar_t* text)
{
    wchar_t message[kMessageCapacity];
    wchar_t size[32], largest[32];
    FormatFileSize(LastRefusal.size, size);
    FormatFileSize(LastRefusal.largest, largest);
    switch (LastRefusal.reason) {
        case SizeRefusal::AboveLimit:
            wsprintfW(message, L"%s\n\nThe file is too large for Scrivlet, which opens files below 2 GB.", text);
            break;
        case SizeRefusal::NoRoom:
            wsprintfW(message,
                      L"%s\n\nThe file is %s, more than Scrivlet has memory for now: it can open files of up to "
                      L"about %s.",
                      text, size, largest);
            break;
        case SizeRefusal::Declined:
            LastRefusal = SizeRefusal();
            return;
        default:
            wsprintfW(message, L"%s", text);
            break;
    }
    LastRefusal = SizeRefusal();
    ShowErrorMessage(message);
}

bool LoadLeftTheDocument()
{
    return LastRefusal.reason != SizeRefusal::None;
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
    // Read and decode completely before touching the control, so that a failed
    // read or a lack of memory leaves the user's document as it was. Another
    // program may be writing the file meanwhile: see JudgeRead.
    LastRefusal = SizeRefusal();
    TextFormat read;
    HLOCAL block = nullptr;
    FileVersion readVersion = {};
    std::unique_ptr<LoadProgress> progress;
    for (int attempt = 1; !block; ++attempt) {
        FileVersion before = {};
        const bool beforeTaken = ReadFileIdentity(file.get(), &before);
        DWORD high = 0;
        const DWORD size = GetFileSize(file.get(), &high);
        if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR)
            return 0;
        // 2 GiB and more cannot be held, and the rest only with the memory a
        // load takes: refuse before reading anything.
        const ULONGLONG fileSize = (static_cast<ULONGLONG>(high) << 32) | size;
        const MemoryRoom room = MemoryRoomNow();
        if (high != 0 || size >= 0x80000000u) {
            LastRefusal = {SizeRefusal::AboveLimit, fileSize, 0};
            return 0;
        }
        if (!RoomForFile(fileSize, room)) {
            LastRefusal = {SizeRefusal::NoRoom, fileSize, LargestFileFor(room)};
            return 0;
        }
        if (attempt == 1 && !reload) {
            HWND edit = GetDlgItem(mainWindow, IDC_EDIT);
            const bool wrapOn = !(GetWindowLongPtrW(edit, GWL_STYLE) & WS_HSCROLL);
            const OpenAnswer answer = AskBeforeOpen(fileSize, wrapOn);
            if (answer == OpenAnswer::DontOpen) {
                LastRefusal = {SizeRefusal::Declined, fileSize, 0};
                return 0;
            }
            if (answer == OpenAnswer::OpenWithWrapOff)
                SendMessageW(mainWindow, WM_SCRIVLET_SETWORDWRAP, 0, 0);
        }
        if (!progress)
            progress = std::make_unique<LoadProgress>(mainWindow, fileSize);
        progress->Restart();
        ContentHash hash;
        const LARGE_INTEGER start = {};
        block = SetFilePointerEx(file.get(), start, nullptr, FILE_BEGIN)
                    ? ReadTextBlock(file.get(), size, GetACP(), &read, &hash, progress.get())
                    : nullptr;
        if (progress->cancelled()) {
            if (block)
                LocalFree(block);
            LastRefusal = {SizeRefusal::Declined, fileSize, 0};
            return 0;
        }
        AfterFileBytesRead(path);
        const bool afterTaken = ReadFileIdentity(file.get(), &readVersion);
        const ReadCheck check = JudgeRead(beforeTaken, before, afterTaken, readVersion, attempt);
        if (check == ReadCheck::ReadAgain) {
            if (block)
                LocalFree(block);
            block = nullptr;
            continue;
        }
        // A file that shrank under the read fails it, and is tried again above.
        if (!block)
            return 0;
        readVersion.Known = check == ReadCheck::Whole;
        readVersion.Hash = hash.Value();
    }
    file.close();
    progress.reset();

    // The control shows the empty text until the message loop hands it the new
    // buffer; clearing first keeps the status refresh below consistent with that.
    SetWindowTextW(GetDlgItem(mainWindow, IDC_EDIT), L"");
    HandTextToEdit(mainWindow, block);

    *isModified = 0;
    *format = read;
    if (version)
        *version = readVersion;
    DocumentChanged(mainWindow);
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
        size_t size = 0;
        EncodeAnsiFile(text, length, format, GetACP(), &bytes, &size, &lossless);
    } else {
        EncodedSize(text, length, format, &lossless);
    }
    return lossless;
}

SaveResult Scrivlet_WriteFile(HWND mainWindow, const wchar_t* path, int* isModified, const TextFormat& target,
                              TextFormat* format, SaveConsent* consent, StoreFailure* failure, FileVersion* version)
{
    if (!path || !path[0])
        return SaveResult::Failed;
    LockedText locked(TextBufferOf(GetDlgItem(mainWindow, IDC_EDIT)));
    const wchar_t* text = locked.get();
    if (!text)
        return SaveResult::Failed;
    const size_t length = wcslen(text);
    SavePlan plan;
    if (!PlanSave(text, length, target, GetACP(), &plan))
        return SaveResult::Failed;
    consent->readsAs = plan.readsAs;
    consent->kept = plan.kept;
    if (const unsigned unasked = plan.doubts & ~consent->accepted) {
        consent->doubt = unasked & (0u - unasked);  // the first of them
        return SaveResult::NeedsConsent;
    }
    const BYTE littleEndianMark[] = {0xFF, 0xFE};
    FilePiece pieces[3];
    size_t count = 0;
    if (plan.asItStands) {
        pieces[count++] = {littleEndianMark, sizeof(littleEndianMark)};
        pieces[count++] = {text, length * sizeof(wchar_t)};
        if (plan.written.HasOddByte)
            pieces[count++] = {&plan.written.OddByte, 1};
    } else {
        pieces[count++] = {plan.bytes.get(), plan.size};
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
    *format = plan.written;
    *isModified = 0;
    return SaveResult::Saved;
}
