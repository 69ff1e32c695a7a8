#include "bench/frame_bench.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "app/commands.h"
#include "app/editcontrol.h"
#include "app/mainwindow.h"
#include "bench/benchmark.h"
#include "bench/floor_edit.h"
#include "document/documentstate.h"
#include "document/filecheck.h"
#include "document/fileversion.h"
#include "document/textfile.h"
#include "platform/textbuffer.h"
#include "prefs/appearance.h"
#include "res/resource.h"
#include "tests/support/wait.h"
#include "tools/findreplace.h"
#include "tools/textsearch.h"

namespace {

HWND Edit(HWND window)
{
    return GetDlgItem(window, IDC_EDIT);
}

// Loads the file with the program's loader; returns read and decode, and
// hand-over and layout, in seconds.
std::pair<double, double> Load(HWND window, const std::wstring& path, size_t characters)
{
    double start = Now();
    OpenAnsweringYes(window, path);
    double read = Now();
    PumpMessages();
    double shown = Now();
    if (static_cast<size_t>(GetWindowTextLengthW(Edit(window))) != characters)
        Fail("the loaded text has %d characters instead of %zu", GetWindowTextLengthW(Edit(window)), characters);
    return {read - start, shown - read};
}

double TimeWrite(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    double start = Now();
    WriteBytes(path, bytes.data(), bytes.size());
    return Now() - start;
}

std::string SaveRows(HWND window, int megabytes, int runs, std::string* loadRows)
{
    std::wstring path = TempPath(L"scrivlet-save.txt"), plain = TempPath(L"scrivlet-plain.txt");
    size_t characters = WriteDocument(path, static_cast<size_t>(megabytes) << 20, false);
    std::pair<double, double> load = Load(window, path, characters);
    *loadRows += Row({Printf("%d MB ANSI", megabytes), Printf("%.3f", load.first), Printf("%.3f", load.second)});
    std::string rows;
    for (int unicode = 0; unicode <= 1; ++unicode) {
        std::vector<double> ours, floors;
        std::vector<BYTE> bytes;
        for (int run = 0; run < runs; ++run) {
            double start = Now();
            TextFormat format = PlainTextFormat();
            format.Encoding = unicode ? kUtf16LeText : kAnsiText;
            format.HasMark = unicode;
            SaveConsent consent = {~0u};
            if (Scrivlet_WriteFile(window, path.c_str(), &DocumentState.IsModified, format, &DocumentState.Format,
                                   &consent) != SaveResult::Saved)
                Fail("the program could not save %ls", path.c_str());
            ours.push_back(Now() - start);
            bytes = ReadBytes(path);
            floors.push_back(TimeWrite(plain, bytes));
        }
        if (bytes.size() != (unicode ? 2 + characters * 2 : characters))
            Fail("the saved file has %zu bytes", bytes.size());
        rows += Row(
            {Printf("%d MB as %s (%.1f MB written)", megabytes, unicode ? "UTF-16" : "ANSI", bytes.size() / 1048576.0),
             ListValues(ours, "%.3f"), Printf("%.3f", Median(ours)), ListValues(floors, "%.3f"),
             Printf("%.3f", Median(floors)), Printf("%.2f", Median(ours) / Median(floors))});
    }
    DeleteFileW(path.c_str());
    DeleteFileW(plain.c_str());
    return rows;
}

std::vector<double> TimeSaves(HWND window, const std::wstring& path, int runs, std::vector<BYTE>* bytes)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        double start = Now();
        SaveConsent consent = {};
        if (Scrivlet_WriteFile(window, path.c_str(), &DocumentState.IsModified, DocumentState.Format,
                               &DocumentState.Format, &consent) != SaveResult::Saved)
            Fail("the program could not save %ls in its own format", path.c_str());
        times.push_back(Now() - start);
    }
    *bytes = ReadBytes(path);
    return times;
}

// A UTF-8 document and one with LF line ends, each saved back in its own
// form, against today's save: an ANSI document of the same number of bytes
// with CR LF, through the same safe-save sequence. A save takes a tenth of a
// second, so one spell of the machine's other work moves a run a lot: each
// kind gets more runs than the other rows, right after today's save's own.
std::string EncodedSaveRows(HWND window, int megabytes, int runs)
{
    const size_t size = static_cast<size_t>(megabytes) << 20;
    const int saveRuns = 2 * runs + 1;
    std::wstring path = TempPath(L"scrivlet-save-encoded.txt");
    std::vector<BYTE> bytes;
    std::string rows;
    for (EncodedKind kind : {kUtf8Document, kLfDocument}) {
        Load(window, path, WriteDocument(path, size, false));
        const std::vector<double> today = TimeSaves(window, path, saveRuns, &bytes);
        size_t characters = WriteEncodedDocument(path, size, kind, L"");
        const std::vector<BYTE> file = ReadBytes(path);
        Load(window, path, characters);
        const std::vector<double> ours = TimeSaves(window, path, saveRuns, &bytes);
        if (bytes != file)
            Fail("the %s document did not come back byte for byte", EncodedKindName(kind));
        const double ratio = Median(ours) / Median(today);
        rows += Row({Printf("%d MB %s, saved in its own form (%.1f MB written)", megabytes, EncodedKindName(kind),
                            bytes.size() / 1048576.0),
                     ListValues(ours, "%.3f"), Printf("%.3f", Median(ours)), ListValues(today, "%.3f"),
                     Printf("%.3f", Median(today)), Printf("%.2f", ratio), "<= 1.2", Verdict(ratio <= 1.2)});
        if (ratio > 1.2)
            Note(Printf("Save of %d MB %s: %.3f s against %.3f s for today's ANSI save of as many bytes.", megabytes,
                        EncodedKindName(kind), Median(ours), Median(today)));
    }
    DeleteFileW(path.c_str());
    return rows;
}

void SetCaseBox(int caseSensitive)
{
    CheckDlgButton(FindReplaceDialog, IDC_CASESENSITIVE, caseSensitive ? BST_CHECKED : BST_UNCHECKED);
}

void Click(int id)
{
    SendDlgItemMessageW(FindReplaceDialog, id, BM_CLICK, 0, 0);
}

std::string FindRows(HWND window, int megabytes, int runs)
{
    std::wstring path = TempPath(L"scrivlet-find.txt");
    size_t characters = WriteDocument(path, static_cast<size_t>(megabytes) << 20, false);
    Load(window, path, characters);
    DeleteFileW(path.c_str());
    const DWORD expected = static_cast<DWORD>(characters - wcslen(kDocumentEnd) + 6);
    const wchar_t find[] = L"zebras yodel";
    HandleCommand(window, MAKEWPARAM(IDM_FINDREPLACE, 0), 0);
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, find);

    std::string rows;
    double blind[2] = {0, 0}, sensitive[2] = {0, 0};
    for (int caseSensitive = 1; caseSensitive >= 0; --caseSensitive) {
        SetCaseBox(caseSensitive);
        std::vector<double> dialog, search;
        for (int run = 0; run < runs; ++run) {
            SendMessageW(Edit(window), EM_SETSEL, 0, 0);
            double start = Now();
            Click(IDC_FINDNEXT);
            dialog.push_back(Now() - start);
            DWORD from = 0, to = 0;
            SendMessageW(Edit(window), EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
            if (from != expected || to != expected + wcslen(find))
                Fail("Find next selected %lu-%lu instead of %lu", from, to, expected);
            LockedText text(TextBufferOf(Edit(window)));
            start = Now();
            const wchar_t* found =
                FindOccurrence(text.get(), text.get() + characters, find, wcslen(find), caseSensitive);
            search.push_back(Now() - start);
            if (found != text.get() + expected)
                Fail("the search did not find the end of the text");
        }
        if (!caseSensitive && (characters / Median(search) < 1e8 || Median(search) > 3 * sensitive[1]))
            Note(Printf("Case-blind search alone: %.0f M characters/s against %.0f M case-sensitive.",
                        characters / Median(search) / 1e6, characters / sensitive[1] / 1e6));
        (caseSensitive ? sensitive : blind)[0] = Median(dialog);
        (caseSensitive ? sensitive : blind)[1] = Median(search);
        const char* mode = caseSensitive ? "case-sensitive" : "case-blind";
        rows += Row({Printf("Find next to the end of %d MB, %s, as the dialog does it", megabytes, mode),
                     ListValues(dialog, "%.4f"), Printf("%.4f", Median(dialog)),
                     Printf("%.0f", characters / Median(dialog) / 1e6), "-", "-"});
        rows += Row(
            {Printf("the same search alone, %s", mode), ListValues(search, "%.4f"), Printf("%.4f", Median(search)),
             Printf("%.0f", characters / Median(search) / 1e6),
             caseSensitive ? "-" : ">= 100 M/s, <= 3 x case-sensitive",
             caseSensitive ? "-" : Verdict(characters / Median(search) >= 1e8 && Median(search) <= 3 * sensitive[1])});
    }
    SendMessageW(FindReplaceDialog, WM_CLOSE, 0, 0);
    return rows;
}

std::string ReplaceRows(HWND window, int megabytes, int runs)
{
    const size_t length = static_cast<size_t>(megabytes) << 20, count = 100000;
    std::wstring text = FoxText(length, count);
    std::string rows;
    double rebuild[2] = {0, 0};
    for (int caseSensitive = 1; caseSensitive >= 0; --caseSensitive) {
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            ReplaceRequest request = {text.c_str(), nullptr, 0, L"fox", L"cat", caseSensitive, 0};
            double start = Now();
            int replaced = BuildReplacedText(&request);
            times.push_back(Now() - start);
            free(request.ResultText);
            if (replaced != static_cast<int>(count))
                Fail("Replace all made %d replacements instead of %zu", replaced, count);
        }
        rebuild[caseSensitive] = Median(times);
        if (!caseSensitive && (length / Median(times) < 1e8 || Median(times) > 3 * rebuild[1]))
            Note(Printf("Replace all rebuild, case-blind: %.0f M characters/s against %.0f M case-sensitive.",
                        length / Median(times) / 1e6, length / rebuild[1] / 1e6));
        const char* mode = caseSensitive ? "case-sensitive" : "case-blind";
        rows +=
            Row({Printf("Replace all rebuild, %d MB, 100 000 replacements, %s", megabytes, mode),
                 ListValues(times, "%.4f"), Printf("%.4f", Median(times)), Printf("%.0f", length / Median(times) / 1e6),
                 caseSensitive ? "-" : ">= 100 M/s, <= 3 x case-sensitive",
                 caseSensitive ? "-" : Verdict(length / Median(times) >= 1e8 && Median(times) <= 3 * rebuild[1])});
    }

    // As the user sees it: the click, then the control taking the new text.
    HLOCAL block = MakeTextBlock(text.c_str(), text.size());
    if (!block)
        Fail("no block for the Replace all text");
    HandTextToEdit(window, block);
    PumpMessages();
    HandleCommand(window, MAKEWPARAM(IDM_FINDREPLACE, 0), 0);
    for (int caseSensitive = 1; caseSensitive >= 0; --caseSensitive) {
        SetCaseBox(caseSensitive);
        std::vector<double> clicks, layouts;
        for (int run = 0; run < runs; ++run) {
            // Back and forth, so that every run replaces 100 000 words.
            bool forth = run % 2 == 0;
            SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, forth ? L"fox" : L"cat");
            SetDlgItemTextW(FindReplaceDialog, IDC_REPLACETEXT, forth ? L"cat" : L"fox");
            double start = Now();
            Click(IDC_REPLACEALL);
            double clicked = Now();
            PumpMessages();
            double shown = Now();
            clicks.push_back(clicked - start);
            layouts.push_back(shown - clicked);
            LockedText now(TextBufferOf(Edit(window)));
            if (!now.get() || wcsncmp(now.get() + 16, forth ? L"cat" : L"fox", 3) != 0)
                Fail("Replace all did not change the text");
        }
        if (runs % 2) {
            // Leave the text as it started for the other case rule.
            SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"cat");
            SetDlgItemTextW(FindReplaceDialog, IDC_REPLACETEXT, L"fox");
            Click(IDC_REPLACEALL);
            PumpMessages();
        }
        const char* mode = caseSensitive ? "case-sensitive" : "case-blind";
        rows += Row({Printf("Replace all in the dialog up to the hand-over, %s", mode), ListValues(clicks, "%.4f"),
                     Printf("%.4f", Median(clicks)), "-", "-", "-"});
        rows += Row({Printf("then the control's own layout of the new text, %s", mode), ListValues(layouts, "%.3f"),
                     Printf("%.3f", Median(layouts)), "-", "-", "-"});
    }
    SendMessageW(FindReplaceDialog, WM_CLOSE, 0, 0);
    return rows;
}

std::string WrapRows(HWND window, int megabytes, int runs)
{
    std::wstring path = TempPath(L"scrivlet-wrap.txt");
    size_t characters = WriteDocument(path, static_cast<size_t>(megabytes) << 20, false);
    SetWordWrap(window, 0);
    Load(window, path, characters);
    std::vector<double> ours, floors, back;
    for (int run = 0; run < runs; ++run) {
        double start = Now();
        SetWordWrap(window, 1);
        PumpMessages();
        ours.push_back(Now() - start);
        HWND edit = Edit(window);
        if (static_cast<size_t>(GetWindowTextLengthW(edit)) != characters ||
            (GetWindowLongPtrW(edit, GWL_STYLE) & WS_HSCROLL))
            Fail("the switch did not leave a wrapping control with the whole text");
        RECT rect;
        GetWindowRect(edit, &rect);
        HLOCAL block = ReadFloorText(path);
        if (!block)
            Fail("no block for the floor control");
        start = Now();
        HWND floor = CreateFloorEdit(static_cast<DWORD>(GetWindowLongPtrW(edit, GWL_STYLE)),
                                     static_cast<DWORD>(GetWindowLongPtrW(edit, GWL_EXSTYLE)), rect.right - rect.left,
                                     rect.bottom - rect.top, EditFont);
        if (!floor)
            Fail("no floor control");
        HandFloorText(floor, block);
        PumpMessages();
        floors.push_back(Now() - start);
        if (static_cast<size_t>(GetWindowTextLengthW(floor)) != characters)
            Fail("the floor control did not take the whole text");
        DestroyWindow(GetParent(floor));
        LocalFree(block);
        start = Now();
        SetWordWrap(window, 0);
        PumpMessages();
        back.push_back(Now() - start);
    }
    DeleteFileW(path.c_str());
    return Row({Printf("Word wrap on, %d MB", megabytes), ListValues(ours, "%.3f"), Printf("%.3f", Median(ours)),
                ListValues(floors, "%.3f"), Printf("%.3f", Median(floors)),
                Printf("%.3f", Median(ours) / Median(floors))}) +
           Row({Printf("Word wrap off again, %d MB", megabytes), ListValues(back, "%.3f"), Printf("%.3f", Median(back)),
                "-", "-", "-"});
}

// The cost of noticing changes made elsewhere: the hash the loader takes
// while reading, against reading and decoding; a reload against an open; and
// the check on coming back to the program, which reads only attributes when
// nothing changed.
std::string ChangeRows(HWND window, int megabytes, int runs)
{
    std::wstring path = TempPath(L"scrivlet-changes.txt");
    const size_t characters = WriteDocument(path, static_cast<size_t>(megabytes) << 20, false);
    const std::vector<BYTE> bytes = ReadBytes(path);
    std::vector<double> reads, layouts, hashes, reloads, reloadLayouts, checks;
    for (int run = 0; run < runs; ++run) {
        wcscpy(DocumentState.FilePath, path.c_str());
        double start = Now();
        OpenAnsweringYes(window, path);
        const double opened = Now();
        reads.push_back(opened - start);
        PumpMessages();
        layouts.push_back(Now() - opened);

        start = Now();
        ContentHash hash;
        hash.Add(bytes.data(), bytes.size());
        if (hash.Value() != DocumentState.Base.Hash)
            Fail("the loader's hash is not that of the file's bytes");
        hashes.push_back(Now() - start);

        start = Now();
        for (int check = 0; check < 100; ++check) {
            FileVersion now;
            if (CheckFile(path.c_str(), DocumentState.Base, &now) != FileState::Same)
                Fail("the unchanged file was not found the same");
        }
        checks.push_back((Now() - start) / 100);

        start = Now();
        if (!ReloadTextFile(window, path.c_str(), &DocumentState.IsModified, &DocumentState.Format,
                            &DocumentState.Base))
            Fail("the program could not reload %ls", path.c_str());
        const double read = Now();
        PumpMessages();
        reloads.push_back(read - start);
        reloadLayouts.push_back(Now() - read);
        if (static_cast<size_t>(GetWindowTextLengthW(Edit(window))) != characters)
            Fail("the reloaded text has %d characters", GetWindowTextLengthW(Edit(window)));
    }
    DeleteFileW(path.c_str());
    const double share = Median(hashes) / Median(reads);
    return Row({Printf("%d MB ANSI", megabytes), ListValues(reads, "%.3f"), ListValues(layouts, "%.3f"),
                ListValues(hashes, "%.4f"), Printf("%.1f %%", 100 * share), share <= 0.02 ? "met" : "missed",
                ListValues(reloads, "%.3f"), ListValues(reloadLayouts, "%.3f"), Printf("%.3f", 1000 * Median(checks))});
}

}  // namespace

std::string MeasureChanges(const std::vector<int>& sizes, int runs)
{
    HWND window = MakeShownFrame();
    SetWordWrap(window, 0);
    PumpMessages();
    std::string rows =
        "| Document | open: read, decode and hash, runs (s) | open: hand-over and layout, runs (s) | the hash alone, "
        "runs (s) | hash / read | target 2 % | "
        "reload: read and decode, runs (s) | reload: hand-over and layout, runs (s) | check on coming back, unchanged "
        "(ms) |\n|---|---|---|---|---|---|---|---|---|\n";
    for (int megabytes : sizes)
        rows += ChangeRows(window, megabytes, runs);
    DocumentState.IsModified = 0;
    DestroyWindow(window);
    return rows;
}

std::string MeasureInFrame(const FrameSizes& sizes, int runs)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass;
    RegisterMainWindowClass(&windowClass, GetSysColorBrush(COLOR_BTNFACE), nullptr);
    HWND window = CreateMainFrame(instance);
    if (!window)
        Fail("the frame could not be made");
    ShowWindow(window, SW_SHOW);
    SetWordWrap(window, 0);
    PumpMessages();

    double start = Now();
    CaseBlindClass(L'a');
    double classes = Now() - start;

    std::string loads =
        "| Loading in the frame | read and decode (s) | hand-over and the control's layout (s) |\n"
        "|---|---|---|\n";
    std::string save =
        "| Save | Scrivlet, runs (s) | Scrivlet median | plain WriteFile of the same bytes, runs (s) | WriteFile "
        "median | Ratio |\n|---|---|---|---|---|---|\n";
    for (int megabytes : sizes.save)
        save += SaveRows(window, megabytes, runs, &loads);
    std::string encodedSave =
        "| Save in the file's own form | Scrivlet, runs (s) | Scrivlet median | today's save: ANSI of as many bytes, "
        "runs (s) | its median | Ratio | Target | Verdict |\n|---|---|---|---|---|---|---|---|\n";
    for (int megabytes : sizes.encodedSave)
        encodedSave += EncodedSaveRows(window, megabytes, runs);
    if (sizes.encodedOnly) {
        DocumentState.IsModified = 0;
        DestroyWindow(window);
        return encodedSave;
    }

    std::string search =
        "| Search | runs (s) | median (s) | M characters/s | Target | Verdict |\n"
        "|---|---|---|---|---|---|\n";
    search += Row({"building the case-blind classes (once per locale, on the first case-blind search)",
                   Printf("%.4f", classes), Printf("%.4f", classes), "-", "-", "-"});
    search += FindRows(window, sizes.find, runs);
    search += ReplaceRows(window, sizes.replace, runs);

    std::string wrap =
        "| Word-wrap switch | Scrivlet, runs (s) | Scrivlet median | floor control with wrap, runs (s) | Floor "
        "median | Ratio |\n|---|---|---|---|---|---|\n";
    wrap += WrapRows(window, sizes.wrap, runs);
    DocumentState.IsModified = 0;
    DestroyWindow(window);
    return save + "\n" + encodedSave + "\n" + loads + "\n" + search + "\n" + wrap;
}
