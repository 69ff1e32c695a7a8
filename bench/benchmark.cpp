#include "bench/benchmark.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/mainwindow.h"
#include "document/documentstate.h"
#include "document/textfile.h"
#include "tests/support/boxes_in_thread.h"
#include "tests/support/wait.h"

const wchar_t kDocumentEnd[] = L"Seven zebras yodel at dawn.";

double Now()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    if (values.empty())
        Fail("no runs to take the median of");
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Smallest(const std::vector<double>& values)
{
    if (values.empty())
        Fail("no runs to take the smallest of");
    return *std::min_element(values.begin(), values.end());
}

namespace {

std::vector<std::string> NoteList;

}  // namespace

void Note(const std::string& text)
{
    NoteList.push_back(text);
}

std::string Notes()
{
    std::string notes;
    for (const std::string& note : NoteList)
        notes += "- " + note + "\n";
    return notes.empty() ? "Every target was met.\n" : notes;
}

std::string ListValues(const std::vector<double>& values, const char* format)
{
    std::string list;
    char value[64];
    for (double v : values) {
        snprintf(value, sizeof(value), format, v);
        list += (list.empty() ? "" : ", ") + std::string(value);
    }
    return list;
}

std::string Printf(const char* format, ...)
{
    char text[4096];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    return text;
}

std::string Row(const std::vector<std::string>& cells)
{
    std::string row = "|";
    for (const std::string& cell : cells)
        row += " " + cell + " |";
    return row + "\n";
}

std::string Verdict(bool met)
{
    return met ? "met" : "**missed**";
}

void Fail(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    fprintf(stderr, "measurement failed: ");
    vfprintf(stderr, format, arguments);
    fprintf(stderr, "\n");
    va_end(arguments);
    fflush(stderr);
    ExitProcess(1);
}

std::wstring TempPath(const std::wstring& name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

void WriteBytes(const std::wstring& path, const void* data, size_t size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) &&
              written == size;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (!ok)
        Fail("could not write %zu bytes to %ls", size, path.c_str());
}

std::vector<BYTE> ReadBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail("could not open %ls", path.c_str());
    std::vector<BYTE> bytes(GetFileSize(file, nullptr));
    DWORD read = 0;
    bool ok = bytes.empty() ||
              (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) && read == bytes.size());
    CloseHandle(file);
    if (!ok)
        Fail("could not read %ls", path.c_str());
    return bytes;
}

size_t WriteDocument(const std::wstring& path, size_t bytes, bool unicode)
{
    const std::wstring line = L"The quick brown fox jumps over the lazy dog, and then some more words follow.\r\n";
    const size_t characters = unicode ? (bytes - 2) / 2 : bytes;
    const size_t endLength = wcslen(kDocumentEnd);
    std::wstring text;
    text.reserve(characters + line.size());
    while (text.size() < characters - endLength)
        text += line;
    text.resize(characters - endLength);
    text += kDocumentEnd;
    if (unicode) {
        std::vector<BYTE> file(2 + text.size() * sizeof(wchar_t));
        file[0] = 0xFF;
        file[1] = 0xFE;
        memcpy(file.data() + 2, text.data(), text.size() * sizeof(wchar_t));
        WriteBytes(path, file.data(), file.size());
    } else {
        std::string ansi(text.begin(), text.end());
        WriteBytes(path, ansi.data(), ansi.size());
    }
    return text.size();
}

const char* EncodedKindName(EncodedKind kind)
{
    return kind == kUtf8Document ? "UTF-8" : "ANSI with LF line ends";
}

size_t WriteEncodedDocument(const std::wstring& path, size_t bytes, EncodedKind kind, const std::wstring& floorPath)
{
    const std::string line = kind == kUtf8Document
                                 ? "Zo\xC3\xAB's caf\xC3\xA9 na\xC3\xAFve fa\xC3\xA7"
                                   "ade, \xE6\x97\xA5\xE6\x9C\xAC"
                                   "\xE8\xAA\x9E"
                                   " text, and then some more words follow.\r\n"
                                 : "The quick brown fox jumps over the lazy dog, and then some more words follow.\n";
    std::string end(kDocumentEnd, kDocumentEnd + wcslen(kDocumentEnd));
    std::string file;
    file.reserve(bytes + line.size());
    while (file.size() + line.size() + end.size() <= bytes)
        file += line;
    // Filled up with plain letters, so no character is cut.
    file += std::string(bytes - file.size() - end.size(), 'a') + end;
    WriteBytes(path, file.data(), file.size());
    const UINT codePage = kind == kUtf8Document ? CP_UTF8 : CP_ACP;
    std::wstring text(file.size(), L'\0');
    text.resize(MultiByteToWideChar(codePage, 0, file.data(), static_cast<int>(file.size()), &text[0],
                                    static_cast<int>(text.size())));
    if (kind == kLfDocument) {
        std::wstring crLf;
        crLf.reserve(text.size() + text.size() / 40);
        for (wchar_t c : text)
            crLf += c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, c);
        text.swap(crLf);
    }
    if (!floorPath.empty()) {
        std::vector<BYTE> floor(2 + text.size() * sizeof(wchar_t));
        floor[0] = 0xFF;
        floor[1] = 0xFE;
        memcpy(floor.data() + 2, text.data(), text.size() * sizeof(wchar_t));
        WriteBytes(floorPath, floor.data(), floor.size());
    }
    return text.size();
}

std::wstring FoxText(size_t length, size_t count)
{
    const std::wstring fox =
        L"The quick brown fox jumps over the lazy dog, and then some more words follow, as words do.";
    const std::wstring plain = L"Nothing else to see on this line but words that follow one another until it ends.";
    std::wstring text;
    text.reserve(length + 100);
    for (size_t i = 0; i < count; ++i)
        text += fox + std::wstring(98 - fox.size(), L' ') + L"\r\n";
    while (text.size() < length)
        text += plain + std::wstring(98 - plain.size(), L' ') + L"\r\n";
    text.resize(length);
    return text;
}

HWND MakeShownFrame()
{
    WNDCLASSEXW windowClass;
    RegisterMainWindowClass(&windowClass, GetSysColorBrush(COLOR_BTNFACE), nullptr);
    HWND window = CreateMainFrame(GetModuleHandleW(nullptr));
    if (!window)
        Fail("the frame could not be made");
    ShowWindow(window, SW_SHOW);
    PumpMessages();
    return window;
}

void OpenAnsweringYes(HWND window, const std::wstring& path)
{
    BoxesAnsweredInThread yes(IDYES);
    if (!Scrivlet_ReadFile(window, path.c_str(), &DocumentState.IsModified, &DocumentState.Format, &DocumentState.Base))
        Fail("the program could not read %ls", path.c_str());
}
