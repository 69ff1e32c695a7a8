// Measures loading, saving and switching word wrap on large documents with the
// real frame under the platform, and the memory the process needed for it.
//   scrivlet_bench [MEGABYTES...]     (default: 1 10)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/editcontrol.h"
#include "app/mainwindow.h"
#include "document/documentstate.h"
#include "document/textfile.h"
#include "res/resource.h"
#include "tools/findreplace.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now;
}

void Pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
}

std::wstring TempFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

void WriteText(const std::wstring& path, size_t bytes)
{
    std::string line = "The quick brown fox jumps over the lazy dog, and then some more words follow.\r\n";
    std::string text;
    text.reserve(bytes + line.size());
    while (text.size() < bytes)
        text += line;
    text.resize(bytes);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
}

void Measure(HWND window, size_t megabytes)
{
    size_t bytes = megabytes * 1024 * 1024;
    std::wstring path = TempFile(L"scrivlet-bench.txt");
    WriteText(path, bytes);
    SetWordWrap(window, 0);
    Pump();

    LARGE_INTEGER start = Now();
    int loaded = Scrivlet_ReadFile(window, path.c_str(), &DocumentState.IsModified, &DocumentState.IsUnicode);
    LARGE_INTEGER read = Now();
    Pump();  // the control takes the new buffer and lays it out here
    LARGE_INTEGER shown = Now();
    HWND edit = GetDlgItem(window, IDC_EDIT);
    bool complete = loaded && static_cast<size_t>(GetWindowTextLengthW(edit)) == bytes;

    int savedAnsi = Scrivlet_WriteFile(window, path.c_str(), &DocumentState.IsModified, 0, &DocumentState.IsUnicode);
    LARGE_INTEGER ansi = Now();
    int savedUnicode = Scrivlet_WriteFile(window, path.c_str(), &DocumentState.IsModified, 1, &DocumentState.IsUnicode);
    LARGE_INTEGER unicode = Now();
    SetWordWrap(window, 1);
    Pump();
    LARGE_INTEGER wrapped = Now();
    SetWordWrap(window, 0);
    Pump();
    LARGE_INTEGER unwrapped = Now();

    printf(
        "%4zu MB  read+decode %6.3f s  hand-over+layout %6.3f s  save ANSI %6.3f s  save UTF-16 %6.3f s  "
        "wrap on %6.3f s  wrap off %6.3f s%s\n",
        megabytes, Seconds(start, read), Seconds(read, shown), Seconds(shown, ansi), Seconds(ansi, unicode),
        Seconds(unicode, wrapped), Seconds(wrapped, unwrapped),
        complete && savedAnsi && savedUnicode ? "" : "  (FAILED)");
    DeleteFileW(path.c_str());
}

// Replace all over the whole text, each way of matching, with a match on
// every line.
void MeasureReplaceAll(size_t megabytes)
{
    std::wstring line = L"The quick brown Fox jumps over the lazy fox, and then some more words follow.\r\n";
    std::wstring text;
    while (text.size() < megabytes * 1024 * 1024 / sizeof(wchar_t))
        text += line;
    for (int caseSensitive = 1; caseSensitive >= 0; --caseSensitive) {
        ReplaceRequest request = {};
        request.SourceText = text.c_str();
        request.FindText = L"fox";
        request.ReplaceText = L"cat";
        request.CaseSensitive = caseSensitive;
        LARGE_INTEGER start = Now();
        int count = BuildReplacedText(&request);
        LARGE_INTEGER done = Now();
        printf("%4zu MB  replace all (%s) %6.3f s  %d replacements\n", megabytes,
               caseSensitive ? "case-sensitive" : "case-blind", Seconds(start, done), count);
        free(request.ResultText);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass;
    RegisterMainWindowClass(&windowClass, GetSysColorBrush(COLOR_BTNFACE), nullptr);
    HWND window = CreateMainFrame(instance);
    if (!window) {
        printf("the frame could not be made\n");
        return 1;
    }
    ShowWindow(window, SW_SHOW);
    std::vector<size_t> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(static_cast<size_t>(atoi(argv[i])));
    if (sizes.empty())
        sizes = {1, 10};
    for (size_t megabytes : sizes)
        Measure(window, megabytes);
    MeasureReplaceAll(1);

    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    printf("peak working set %.1f MB\n", memory.PeakWorkingSetSize / 1048576.0);
    return 0;
}
