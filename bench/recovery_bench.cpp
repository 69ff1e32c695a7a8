#include "bench/recovery_bench.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

#include "app/editcontrol.h"
#include "app/mainwindow.h"
#include "bench/benchmark.h"
#include "document/documentstate.h"
#include "document/encoding.h"
#include "document/textfile.h"
#include "platform/framemessages.h"
#include "recovery/recoverystore.h"
#include "recovery/recoverywriter.h"
#include "res/resource.h"
#include "tests/support/wait.h"

namespace {

// A steady typist for 40 s, so that the copy forced 30 s after the first
// change falls inside the run.
const double kTypingSeconds = 40;
const double kKeyTimeout = 30;
const double kCopyTimeout = 120;
const double kRunTimeout = 900;
const double kStallTarget = 0.1;
const double kWriteTarget = 1.0;
const int kWriteRuns = 7;
// The end of the session waits for the copy before the program answers.
const double kQueryEndTarget = 2.0;
const int kQueryEndRuns = 3;
// A line of about 60 characters, then Enter.
const char kTyped[] = "Typed while the recovery copy of the text is being written ";
const int kLineKeys = 60;

struct TypingFigures {
    size_t characters = 0;  // in the control at the end
    size_t loadedCharacters = 0;
    size_t peakWorkingSet = 0;    // PeakWorkingSetSize at the end, bytes
    size_t loaded = 0;            // PagefileUsage once the text was in the control
    size_t typingPeak = 0;        // the most PagefileUsage seen while typing
    int copiesWritten = 0;        // copies the worker reported written during the run
    int copiesFailed = 0;         // and reported failed
    double copyTaken = -1;        // s into the run when the last copy's timer came
    double copyHeld = 0;          // s the UI thread spent in that timer message
    double copyWritten = -1;      // s into the run when the last copy was reported written
    size_t storedCharacters = 0;  // in the copy left in the store, 0 for none
    std::vector<double> latencies;
    std::vector<double> pressedAt;  // s into the run
    std::vector<double> handled;    // s from the key's press to the text's growth
};

// Ten keys a second; but Wine's control alone takes about 0.15 s a key in
// 50 MB on this machine, and keys that pile up behind each other would
// measure the pile, not the copy.
double KeyInterval(int megabytes)
{
    return megabytes > 10 ? 0.5 : 0.1;
}

HWND Edit(HWND window)
{
    return GetDlgItem(window, IDC_EDIT);
}

size_t TextLength(HWND window)
{
    return static_cast<size_t>(GetWindowTextLengthW(Edit(window)));
}

PROCESS_MEMORY_COUNTERS MemoryNow()
{
    PROCESS_MEMORY_COUNTERS memory = {};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory)))
        Fail("no memory figures for this process");
    return memory;
}

// Wine 8 reports the private bytes in use now as PeakPagefileUsage too, so
// the peak of a run is sampled where it must lie: after each key, and right
// after the copy's snapshot was taken, which lives until it is written.
size_t PagefileUsage()
{
    return MemoryNow().PagefileUsage;
}

// This thread's message loop for a typing run, the program's own in all but
// one thing: with copies off, the recovery timer's messages are dropped.
class TypingLoop {
public:
    TypingLoop(HWND window, bool copies, TypingFigures* figures)
        : window_(window), copies_(copies), figures_(figures), start_(Now())
    {
    }

    double Elapsed() const { return Now() - start_; }
    bool CopyInWriting() const { return figures_->copyTaken > figures_->copyWritten; }

    // Pumps until done() holds or the clock reaches until (s into the run);
    // false when the time ran out first.
    bool PumpUntil(double until, const std::function<bool()>& done)
    {
        for (;;) {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                Dispatch(message);
                if (done())
                    return true;
            }
            if (done())
                return true;
            const double left = until - Elapsed();
            if (left <= 0)
                return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::ceil(left * 1000)), QS_ALLINPUT);
        }
    }

    void SampleMemory() { figures_->typingPeak = std::max(figures_->typingPeak, PagefileUsage()); }

private:
    void Dispatch(const MSG& message)
    {
        const bool recoveryTimer =
            message.hwnd == window_ && message.message == WM_TIMER && message.wParam == kRecoveryTimer;
        if (recoveryTimer && !copies_)
            return;
        if (message.hwnd == window_ && message.message == WM_SCRIVLET_COPYWRITTEN) {
            if (message.wParam) {
                ++figures_->copiesWritten;
                figures_->copyWritten = Elapsed();
            } else {
                ++figures_->copiesFailed;
            }
        }
        const double before = Elapsed();
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (recoveryTimer) {
            figures_->copyTaken = before;
            figures_->copyHeld = Elapsed() - before;
            // The snapshot lives until the worker has written it.
            SampleMemory();
        }
    }

    HWND window_;
    bool copies_;
    TypingFigures* figures_;
    double start_;
};

void Type(HWND window, double interval, bool copies, TypingFigures* figures)
{
    TypingLoop loop(window, copies, figures);
    const int keys = static_cast<int>(kTypingSeconds / interval);
    for (int key = 0; key < keys; ++key) {
        const double due = key * interval;
        loop.PumpUntil(due, [] { return false; });
        const size_t before = TextLength(window);
        const wchar_t typed = (key + 1) % kLineKeys == 0 ? L'\r' : static_cast<wchar_t>(kTyped[key % kLineKeys]);
        figures->pressedAt.push_back(loop.Elapsed());
        PostMessageW(Edit(window), WM_CHAR, typed, 1);
        if (!loop.PumpUntil(due + kKeyTimeout, [&] { return TextLength(window) > before; }))
            Fail("key %d did not reach the edit control in %.0f s", key, kKeyTimeout);
        figures->latencies.push_back(loop.Elapsed() - due);
        figures->handled.push_back(loop.Elapsed() - figures->pressedAt.back());
        loop.SampleMemory();
    }
    // The timer of the pause that follows would start a copy of its own.
    KillTimer(window, kRecoveryTimer);
    if (!loop.PumpUntil(loop.Elapsed() + kCopyTimeout, [&] { return !loop.CopyInWriting(); }))
        Fail("the copy taken at %.1f s was not written in %.0f s", figures->copyTaken, kCopyTimeout);
}

// The characters of this process's copy in the store, 0 when there is none
// or it is not whole.
size_t StoredCharacters()
{
    wchar_t folder[kPathCapacity];
    RecoveryHeader header = {};
    if (!RecoveryFolder(folder) || ReadRecoveryHeader(StorePath(folder, OwnCopyName(CurrentProcessIdentity())).c_str(),
                                                      &header) != CopyCondition::Whole)
        return 0;
    return static_cast<size_t>(header.TextLength);
}

void WriteFigures(const TypingFigures& figures, const char* path)
{
    FILE* out = fopen(path, "w");
    if (!out)
        Fail("could not write %s", path);
    fprintf(out, "%zu %zu %zu %zu %zu %d %d %.4f %.4f %.4f %zu %zu\n", figures.characters, figures.loadedCharacters,
            figures.peakWorkingSet, figures.loaded, figures.typingPeak, figures.copiesWritten, figures.copiesFailed,
            figures.copyTaken, figures.copyHeld, figures.copyWritten, figures.storedCharacters,
            figures.latencies.size());
    for (size_t key = 0; key < figures.latencies.size(); ++key)
        fprintf(out, "%.4f %.4f %.4f\n", figures.pressedAt[key], figures.latencies[key], figures.handled[key]);
    if (fclose(out) != 0)
        Fail("could not write %s", path);
}

TypingFigures ReadFigures(const std::wstring& path)
{
    TypingFigures figures;
    FILE* in = _wfopen(path.c_str(), L"r");
    size_t keys = 0;
    if (!in || fscanf(in, "%zu %zu %zu %zu %zu %d %d %lf %lf %lf %zu %zu", &figures.characters,
                      &figures.loadedCharacters, &figures.peakWorkingSet, &figures.loaded, &figures.typingPeak,
                      &figures.copiesWritten, &figures.copiesFailed, &figures.copyTaken, &figures.copyHeld,
                      &figures.copyWritten, &figures.storedCharacters, &keys) != 12)
        Fail("the typing run left no figures in %ls", path.c_str());
    figures.latencies.resize(keys);
    figures.pressedAt.resize(keys);
    figures.handled.resize(keys);
    for (size_t key = 0; key < keys; ++key)
        if (fscanf(in, "%lf %lf %lf", &figures.pressedAt[key], &figures.latencies[key], &figures.handled[key]) != 3)
            Fail("the typing run's figures end after %zu keys", key);
    fclose(in);
    return figures;
}

TypingFigures TypingProcess(int megabytes, bool copies)
{
    const std::wstring result = TempPath(L"scrivlet-typing-run.txt");
    DeleteFileW(result.c_str());
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"\"" + std::wstring(self) + L"\" --typing-run " + std::to_wstring(megabytes) +
                        (copies ? L" on \"" : L" off \"") + result + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child))
        Fail("could not start %ls", line.c_str());
    DWORD code = 1;
    if (WaitForSingleObject(child.hProcess, static_cast<DWORD>(kRunTimeout * 1000)) != WAIT_OBJECT_0)
        TerminateProcess(child.hProcess, 1);
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    if (code != 0)
        Fail("the typing run of %d MB with copies %s ended with code %lu", megabytes, copies ? "on" : "off", code);
    TypingFigures figures = ReadFigures(result);
    DeleteFileW(result.c_str());
    return figures;
}

double Megabytes(size_t bytes)
{
    return bytes / 1048576.0;
}

double Slowest(const std::vector<double>& values)
{
    return *std::max_element(values.begin(), values.end());
}

double SlowestAt(const TypingFigures& figures)
{
    const size_t key = std::max_element(figures.latencies.begin(), figures.latencies.end()) - figures.latencies.begin();
    return figures.pressedAt[key];
}

// The slowest of the keys that fell due while the copy's timer held the UI
// thread (or just before it), in s; -1 for none.
double SlowestDuringCopy(int megabytes, const TypingFigures& figures)
{
    double slowest = -1;
    for (size_t key = 0; key < figures.latencies.size(); ++key) {
        const double due = key * KeyInterval(megabytes);
        if (due > figures.copyTaken - KeyInterval(megabytes) && due <= figures.copyTaken + figures.copyHeld)
            slowest = std::max(slowest, figures.latencies[key]);
    }
    return slowest;
}

std::string TypingRow(int megabytes, bool copies, const TypingFigures& figures)
{
    const bool copyTaken = copies && figures.copyTaken >= 0;
    const double duringCopy = copyTaken ? SlowestDuringCopy(megabytes, figures) : -1;
    return Row({Printf("%d MB", megabytes), copies ? "on" : "off", Printf("%.1f", KeyInterval(megabytes)),
                Printf("%zu", figures.latencies.size()), Printf("%.1f", 1000 * Median(figures.handled)),
                Printf("%.1f", 1000 * Median(figures.latencies)), Printf("%.1f", 1000 * Slowest(figures.latencies)),
                Printf("%.1f", SlowestAt(figures)), Printf("%d", figures.copiesWritten),
                copyTaken ? Printf("%.1f", figures.copyTaken) : "-",
                copyTaken ? Printf("%.1f", 1000 * figures.copyHeld) : "-",
                duringCopy >= 0 ? Printf("%.1f", 1000 * duringCopy) : "-",
                copyTaken && figures.copyWritten >= 0 ? Printf("%.2f", figures.copyWritten - figures.copyTaken) : "-",
                copies ? Printf("%zu", figures.storedCharacters) : "-"});
}

std::string StallRow(int megabytes, const TypingFigures& off, const TypingFigures& on)
{
    const double difference = Slowest(on.latencies) - Slowest(off.latencies);
    const bool met = difference <= kStallTarget;
    if (!met)
        Note(Printf(
            "Typing into %d MB: the slowest key took %.3f s with copies on (pressed %.1f s into the run) "
            "against %.3f s with them off; the copy's timer, taken at %.1f s, held the UI thread %.0f ms "
            "while it copied the text.",
            megabytes, Slowest(on.latencies), SlowestAt(on), Slowest(off.latencies), on.copyTaken, 1000 * on.copyHeld));
    if (on.copiesWritten == 0 || on.storedCharacters < on.loadedCharacters)
        Note(
            Printf("Typing into %d MB with copies on: %d copies were written during the run (%d failed), and the "
                   "store holds a whole copy of %zu characters.",
                   megabytes, on.copiesWritten, on.copiesFailed, on.storedCharacters));
    // A key due the moment the copy starts waits for all of it, however the
    // keys of this run fell.
    const bool holdMet = on.copyHeld <= kStallTarget;
    if (!holdMet)
        Note(
            Printf("Typing into %d MB: taking the copy held the UI thread %.3f s, so a key pressed as it starts "
                   "waits that long on top of its own time (%.3f s, median, with copies off).",
                   megabytes, on.copyHeld, Median(off.handled)));
    return Row({Printf("%d MB", megabytes), Printf("%.3f", Slowest(off.latencies)),
                Printf("%.3f", Slowest(on.latencies)), Printf("%+.3f", difference), "<= 0.1", Verdict(met),
                Printf("%.3f", on.copyHeld), Verdict(holdMet)});
}

std::string MemoryRow(int megabytes, const TypingFigures& off, const TypingFigures& on, double threadCost)
{
    const size_t copy = 2 * std::max(on.characters, off.characters);
    const double riseOff = Megabytes(off.typingPeak) - Megabytes(off.loaded);
    const double riseOn = Megabytes(on.typingPeak) - Megabytes(on.loaded);
    const double rise = riseOn - riseOff;
    const bool met = rise <= Megabytes(copy);
    if (!met)
        Note(
            Printf("Memory with %d MB: typing with copies on rose %.2f MB more than with them off, %.0f KB more than "
                   "one copy of the text (%.2f MB). A thread that only waits, started in this benchmark, adds %.0f "
                   "KB to PagefileUsage under this Wine: the worker that writes the copy.",
                   megabytes, rise, 1024 * (rise - Megabytes(copy)), Megabytes(copy), 1024 * threadCost));
    return Row({Printf("%d MB", megabytes), Printf("%zu", on.characters), Printf("%.2f", Megabytes(copy)),
                Printf("%.2f", riseOff), Printf("%.2f", riseOn), Printf("%+.2f", rise), "<= one copy", Verdict(met),
                Printf("%.1f", Megabytes(off.peakWorkingSet)), Printf("%.1f", Megabytes(on.peakWorkingSet)),
                Printf("%+.1f", Megabytes(on.peakWorkingSet) - Megabytes(off.peakWorkingSet))});
}

DWORD WINAPI WaitForEnd(void* end)
{
    WaitForSingleObject(static_cast<HANDLE>(end), INFINITE);
    return 0;
}

// MB a thread of its own costs this process while it runs, as the copy's
// worker does.
double ThreadCost()
{
    HANDLE end = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const size_t before = PagefileUsage();
    DWORD threadId;
    HANDLE thread = end ? CreateThread(nullptr, 0, WaitForEnd, end, 0, &threadId) : nullptr;
    if (!thread)
        Fail("no thread to weigh");
    Sleep(200);
    const size_t running = PagefileUsage();
    SetEvent(end);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(end);
    return Megabytes(running) - Megabytes(before);
}

// WriteRecoveryCopy alone, as the worker calls it, on the text of a document
// of megabytes MB.
std::string WriteRow(int megabytes, int runs)
{
    const std::wstring path = TempPath(L"scrivlet-copy-source.txt");
    const size_t characters = WriteDocument(path, static_cast<size_t>(megabytes) << 20, false);
    const std::vector<BYTE> bytes = ReadBytes(path);
    DeleteFileW(path.c_str());
    const std::wstring text(bytes.begin(), bytes.end());
    if (text.size() != characters)
        Fail("the document has %zu characters instead of %zu", text.size(), characters);
    wchar_t folder[kPathCapacity];
    if (!RecoveryFolder(folder, StoreUse::Write))
        Fail("no folder for recovery copies");
    RecoveryHeader header = {};
    header.Writer = CurrentProcessIdentity();
    header.Format = PlainTextFormat();
    CopyPath(path.c_str(), header.FilePath);
    header.TextLength = characters;
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        GetSystemTimeAsFileTime(&header.Written);
        const double start = Now();
        if (!WriteRecoveryCopy(folder, header, text.c_str()))
            Fail("the copy of %d MB could not be written", megabytes);
        times.push_back(Now() - start);
    }
    RecoveryHeader stored = {};
    const std::wstring copy = StorePath(folder, OwnCopyName(header.Writer));
    if (ReadRecoveryHeader(copy.c_str(), &stored) != CopyCondition::Whole || stored.TextLength != characters)
        Fail("the copy of %d MB in the store is not whole", megabytes);
    RemoveRecoveryCopy(folder, header.Writer);
    const double slowest = Slowest(times);
    const bool hasTarget = megabytes == 10;
    if (hasTarget && slowest > kWriteTarget)
        Note(
            Printf("The copy of %d MB took up to %.3f s to write (median %.3f s).", megabytes, slowest, Median(times)));
    return Row({Printf("%d MB document: %zu characters, %.1f MB written", megabytes, characters,
                       Megabytes(kRecoveryHeaderSize + 2 * characters)),
                ListValues(times, "%.3f"), Printf("%.3f", Median(times)), Printf("%.3f", slowest),
                hasTarget ? "<= 1" : "-", hasTarget ? Verdict(slowest <= kWriteTarget) : "-"});
}

// The shown frame with a document of megabytes MB at path loaded, word wrap
// off; *characters is the text's length.
HWND FrameWithDocument(int megabytes, const std::wstring& path, size_t* characters)
{
    HWND window = MakeShownFrame();
    SetWordWrap(window, 0);
    PumpMessages();
    *characters = WriteDocument(path, static_cast<size_t>(megabytes) << 20, false);
    OpenAnsweringYes(window, path);
    CopyPath(path.c_str(), DocumentState.FilePath);
    PumpMessages();
    if (TextLength(window) != *characters)
        Fail("the loaded text has %zu characters instead of %zu", TextLength(window), *characters);
    return window;
}

void CloseFrame(HWND window, const std::wstring& path)
{
    EndRecoveryCopies(window);
    DocumentState.IsModified = 0;
    DestroyWindow(window);
    DeleteFileW(path.c_str());
}

// WM_QUERYENDSESSION with a key typed a moment before, so that no copy holds
// it: the program writes the copy on its own thread before it answers.
std::string QueryEndRow(int megabytes)
{
    const std::wstring path = TempPath(L"scrivlet-session-end.txt");
    size_t characters = 0;
    HWND window = FrameWithDocument(megabytes, path, &characters);
    std::vector<double> times;
    for (int run = 0; run < kQueryEndRuns; ++run) {
        SendMessageW(Edit(window), WM_CHAR, L'x', 1);
        if (!RecoveryCopyBehind())
            Fail("the key typed before the end of the session is in a copy already");
        const double start = Now();
        const LRESULT agreed = SendMessageW(window, WM_QUERYENDSESSION, 0, 0);
        times.push_back(Now() - start);
        if (!agreed || RecoveryCopyBehind())
            Fail("the end of the session was refused, or came before the copy");
    }
    CloseFrame(window, path);
    const double slowest = Slowest(times);
    return Row({Printf("%d MB document: %zu characters", megabytes, characters), ListValues(times, "%.3f"),
                Printf("%.3f", Median(times)), Printf("%.3f", slowest), "<= 2", Verdict(slowest <= kQueryEndTarget)});
}

}  // namespace

int RunTyping(int megabytes, bool copies, const char* resultPath)
{
    const std::wstring path = TempPath(L"scrivlet-typing.txt");
    TypingFigures figures;
    HWND window = FrameWithDocument(megabytes, path, &figures.loadedCharacters);
    // Typing goes in at the start of a line in the middle of the document.
    const size_t middle = figures.loadedCharacters / 2 - (figures.loadedCharacters / 2) % 80;
    SetFocus(Edit(window));
    SendMessageW(Edit(window), EM_SETSEL, middle, middle);
    SendMessageW(Edit(window), EM_SCROLLCARET, 0, 0);
    PumpMessages();
    figures.loaded = PagefileUsage();

    Type(window, KeyInterval(megabytes), copies, &figures);
    figures.characters = TextLength(window);
    figures.peakWorkingSet = MemoryNow().PeakWorkingSetSize;
    figures.storedCharacters = StoredCharacters();
    CloseFrame(window, path);
    WriteFigures(figures, resultPath);
    return 0;
}

std::string MeasureRecovery(const std::vector<int>& sizes)
{
    std::string write =
        "| Copy written by WriteRecoveryCopy alone (new name, flush, rename) | runs (s) | median (s) | slowest (s) | "
        "target (s) | verdict |\n|---|---|---|---|---|---|\n";
    std::string queryEnd =
        "| Document | runs (s) | median (s) | slowest (s) | target (s) | verdict |\n|---|---|---|---|---|---|\n";
    for (int megabytes : sizes) {
        write += WriteRow(megabytes, megabytes == 10 ? kWriteRuns : 3);
        queryEnd += QueryEndRow(megabytes);
    }

    std::string typing =
        "| Document | copies | a key every (s) | keys | the control's own time a key, median (ms) | key, due to "
        "taken, median (ms) | slowest (ms) | slowest pressed at (s) | copies written | copy taken at (s) | UI "
        "thread in the copy's timer (ms) | slowest key due meanwhile (ms) | copy written after (s) | characters in "
        "the stored copy |\n|---|---|---|---|---|---|---|---|---|---|---|---|---|---|\n";
    std::string stall =
        "| Document | slowest key, copies off (s) | slowest key, copies on (s) | on - off (s) | target (s) | verdict "
        "| worst case: the UI thread in the copy's timer (s) | verdict, <= 0.1 |\n|---|---|---|---|---|---|---|---|\n";
    std::string memory =
        "| Document | characters | one copy: 2 x characters (MB) | highest PagefileUsage while typing over that "
        "before, copies off (MB) | the same, copies on (MB) | rise on - off (MB) | target | verdict | "
        "PeakWorkingSetSize, copies off (MB) | the same, copies on (MB) | on - off (MB) "
        "|\n|---|---|---|---|---|---|---|---|---|---|---|\n";
    const double threadCost = ThreadCost();
    for (size_t size = 0; size < sizes.size(); ++size) {
        const int megabytes = sizes[size];
        // The machine's slower spells last longer than a run: the two runs
        // take turns at going first.
        const bool onFirst = size % 2 == 1;
        TypingFigures first = TypingProcess(megabytes, onFirst);
        TypingFigures second = TypingProcess(megabytes, !onFirst);
        const TypingFigures& on = onFirst ? first : second;
        const TypingFigures& off = onFirst ? second : first;
        typing += TypingRow(megabytes, false, off) + TypingRow(megabytes, true, on);
        stall += StallRow(megabytes, off, on);
        memory += MemoryRow(megabytes, off, on, threadCost);
    }
    return "## Typing while the copy is taken and written\n\n" + typing + "\n" + stall + "\n## Writing a copy\n\n" +
           write + "\n## The copy written when the session is ending (WM_QUERYENDSESSION answered after it)\n\n" +
           queryEnd + "\n## Memory\n\n" + memory + "\n";
}
