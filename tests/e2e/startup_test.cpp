// Starting the real program: command line, platform check, exit codes.
#include <windows.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/scrivlet_process.h"
#include "tests/support/registry_reset.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wait.h"

namespace {

const wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\scrivlet.exe";

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetScrivletRegistry();
        RegDeleteKeyW(HKEY_CURRENT_USER, kAppDefaults);
    }
    void TearDown() override
    {
        RegDeleteKeyW(HKEY_CURRENT_USER, kAppDefaults);
        ResetScrivletRegistry();
    }

    // Makes Wine tell scrivlet.exe (only) that it runs on the given Windows.
    void PretendWindowsVersion(const wchar_t* version)
    {
        HKEY key;
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_CURRENT_USER, kAppDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                       static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }

    void ExpectErrorBox(ScrivletProcess& program, const std::wstring& text, const std::wstring& caption,
                        DWORD timeoutMs = 10000)
    {
        HWND box = program.WaitForDialog(timeoutMs);
        ASSERT_NE(box, nullptr) << "no message box appeared";
        EXPECT_EQ(WindowText(box), caption);
        EXPECT_EQ(MessageBoxText(box), text);
        PressDialogButton(box, IDOK);
    }

    // Closes, answers No to the save question and expects exit code 0.
    void CloseDiscardingTheTypedText(ScrivletProcess& program)
    {
        program.Close();
        HWND question = program.WaitForDialog();
        ASSERT_NE(question, nullptr) << "closing did not ask about the typed text";
        PressDialogButton(question, IDNO);
        DWORD code = 12345;
        ASSERT_TRUE(program.WaitForExit(&code)) << "the program did not end";
        EXPECT_EQ(code, 0u);
    }

    void CloseAndExpectExitCode(ScrivletProcess& program, DWORD expected)
    {
        program.Close();
        DWORD code = 12345;
        ASSERT_TRUE(program.WaitForExit(&code)) << "the program did not end";
        EXPECT_EQ(code, expected);
    }

    ScratchFolder folder_;
};

TEST_F(StartupTest, WithoutArgumentStartsUntitledAndEmptyAndExitsWithZero)
{
    ScrivletProcess program;
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" Untitled - Scrivlet");
    EXPECT_EQ(program.EditText(), L"");
    EXPECT_TRUE(WaitUntil([&] { return program.StatusText(2) == L"\t(Empty)"; }));
    EXPECT_EQ(program.StatusText(3), L"\t[SAVED]");
    EXPECT_EQ(program.StatusText(4), L"\tANSI");
    CloseAndExpectExitCode(program, 0);
}

TEST_F(StartupTest, FileOnTheCommandLineIsShownWithItsNameAndFormat)
{
    std::wstring text = L"first line\r\nzweite Zeile \x00FC\r\n";
    std::string bytes = "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    std::wstring path = folder_.Write(L"notes.txt", bytes);
    ScrivletProcess program(Quoted(path));
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" notes.txt - Scrivlet");
    EXPECT_EQ(program.EditText(), text);
    std::wstring size = L"\t" + std::to_wstring(text.size()) + L" chars";
    EXPECT_TRUE(WaitUntil([&] { return program.StatusText(2) == size; }));
    EXPECT_EQ(program.StatusText(4), L"\tUNICODE");
    CloseAndExpectExitCode(program, 0);
}

// The download holds the stripped build; users unpack it anywhere, often
// under a folder such as "Program Files".
TEST_F(StartupTest, DownloadedProgramStartsFromAFolderWithSpaces)
{
    std::wstring stripped = ScrivletExecutable();
    stripped.insert(stripped.find_last_of(L'\\'), L"\\release");
    std::wstring home = folder_.Path(L"Program Files");
    ASSERT_TRUE(CreateDirectoryW(home.c_str(), nullptr));
    home += L"\\Scrivlet 2.0";
    ASSERT_TRUE(CreateDirectoryW(home.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(stripped.c_str(), (home + L"\\scrivlet.exe").c_str(), TRUE)) << "no stripped build";
    std::wstring path = folder_.Write(L"read me.txt", "unpacked\r\n");
    ScrivletProcess program(Quoted(path), home, home + L"\\scrivlet.exe");
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" read me.txt - Scrivlet");
    EXPECT_EQ(program.EditText(), L"unpacked\r\n");
    CloseAndExpectExitCode(program, 0);
}

TEST_F(StartupTest, MissingFileIsReportedAndNotCreated)
{
    std::wstring path = folder_.Path(L"absent.txt");
    ScrivletProcess program(Quoted(path));
    ExpectErrorBox(program, L"Failed to open that file!", L"Scrivlet v2.0 - Error");
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" Untitled - Scrivlet");
    EXPECT_EQ(program.EditText(), L"");
    EXPECT_FALSE(FileExists(path));
    CloseAndExpectExitCode(program, 0);
}

// The 32-bit program has no room for this file: it refuses it with the
// reason. The 64-bit one may have the room: it asks first, and No opens
// nothing. Either way the program answers at once and stays usable.
TEST_F(StartupTest, AFileTooLargeForMemoryOrTimeIsRefusedOrAskedAboutAndTheProgramStaysUsable)
{
    // Just under the 2 GiB that the loader refuses by its size alone; sparse,
    // so it takes no disk space.
    std::wstring path = folder_.Path(L"huge.txt");
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 1900000000;
    ASSERT_TRUE(SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);

    ScrivletProcess program(Quoted(path));
    HWND box = program.WaitForDialog(10000);
    ASSERT_NE(box, nullptr) << "no message box appeared";
    if (WindowText(box) == L"Long Operation Warning - Scrivlet") {
        const std::wstring asked = L"The file is 1.7 GB. Showing its text takes about ";
        EXPECT_EQ(MessageBoxText(box).substr(0, asked.size()), asked);
        // With word wrap on, No would open it with wrap; Cancel opens nothing.
        PressDialogButton(box, GetDlgItem(box, IDCANCEL) ? IDCANCEL : IDNO);
    } else {
        // Refused by its size, before a byte is read, with the reason.
        EXPECT_EQ(WindowText(box), L"Scrivlet v2.0 - Error");
        const std::wstring reason =
            L"Failed to open that file!\n\nThe file is 1.7 GB, more than Scrivlet has memory for now: it can open "
            L"files of up to about ";
        EXPECT_EQ(MessageBoxText(box).substr(0, reason.size()), reason);
        PressDialogButton(box, IDOK);
    }
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" Untitled - Scrivlet");
    program.Type(L"still here");
    EXPECT_TRUE(WaitUntil([&] { return program.EditText() == L"still here"; })) << program.EditText();
    CloseDiscardingTheTypedText(program);
}

// The lower-case full paths of the DLLs mapped in the given process. From the
// system's own snapshot: under Wine, EnumProcessModules of a 32-bit process
// kept listing its modules as at start-up.
std::vector<std::wstring> LoadedModules(DWORD processId)
{
    std::vector<std::wstring> paths;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return paths;
    MODULEENTRY32W module = {};
    module.dwSize = sizeof(module);
    for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module))
        paths.push_back(CharLowerW(module.szExePath));
    CloseHandle(snapshot);
    return paths;
}

// The path under which dll is mapped in the process, or empty.
std::wstring MappedPath(DWORD processId, const std::wstring& dll)
{
    for (const std::wstring& path : LoadedModules(processId)) {
        if (path.size() > dll.size() &&
            path.compare(path.size() - dll.size() - 1, std::wstring::npos, L"\\" + dll) == 0)
            return path;
    }
    return L"";
}

// Every command that shows a system dialog opens it, Escape closes it and the
// text stays; start-up maps none of the dialogs' libraries.
TEST_F(StartupTest, EveryCommandWithASystemDialogOpensItAndKeepsTheText)
{
    ScrivletProcess program;
    ASSERT_TRUE(program.WaitUntilReady());
    ASSERT_FALSE(MappedPath(program.id(), L"user32.dll").empty()) << "the program's modules could not be listed";
    for (const wchar_t* dll : {L"comdlg32.dll", L"winspool.drv", L"opengl32.dll", L"glu32.dll"})
        EXPECT_EQ(MappedPath(program.id(), dll), L"") << dll << " was mapped at start-up";
    program.Type(L"typed before");
    for (UINT command : {IDM_OPEN, IDM_SAVEAS, IDM_FONT, IDM_FORECOLOR, IDM_BACKCOLOR, IDM_ABOUT}) {
        SCOPED_TRACE(command);
        program.PostCommand(command);
        HWND dialog = program.WaitForDialog();
        ASSERT_NE(dialog, nullptr) << "no dialog";
        // What Escape does in any dialog.
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitUntilGone(dialog));
        ASSERT_TRUE(program.WaitUntilIdle()) << "the program stopped answering";
        EXPECT_EQ(program.EditText(), L"typed before");
    }
    CloseDiscardingTheTypedText(program);
}

// A download folder may hold DLLs named like the system's; the program, run
// from there, must never load them.
TEST_F(StartupTest, DllsNamedLikeTheSystemsBesideTheProgramAreNeverLoaded)
{
    std::wstring home = folder_.Path(L"Downloads");
    ASSERT_TRUE(CreateDirectoryW(home.c_str(), nullptr));
    std::wstring planted = ScrivletExecutable();
    planted.replace(planted.find_last_of(L'\\') + 1, std::wstring::npos, L"planted.dll");
    ASSERT_TRUE(CopyFileW(ScrivletExecutable().c_str(), (home + L"\\scrivlet.exe").c_str(), TRUE));
    const wchar_t* const names[] = {L"opengl32.dll", L"glu32.dll", L"comdlg32.dll", L"winspool.drv", L"probe.dll"};
    for (const wchar_t* name : names)
        ASSERT_TRUE(CopyFileW(planted.c_str(), (home + L"\\" + name).c_str(), TRUE)) << name;
    auto marked = [&](const wchar_t* name) {
        return GetFileAttributesW((home + L"\\" + name + L".loaded").c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    HMODULE probe = LoadLibraryW((home + L"\\probe.dll").c_str());
    ASSERT_TRUE(probe && marked(L"probe.dll")) << "the planted DLL leaves no marker when loaded";
    FreeLibrary(probe);

    ScrivletProcess program(L"", home, home + L"\\scrivlet.exe");
    ASSERT_TRUE(program.WaitUntilReady());
    for (UINT command : {IDM_ABOUT, IDM_OPEN, IDM_PRINT}) {
        program.PostCommand(command);
        // Printing shows a box only when it fails; the others show their dialog.
        HWND dialog = program.WaitForDialog(command == IDM_PRINT ? 3000 : 10000);
        if (command == IDM_ABOUT)
            WaitUntil([&] { return !MappedPath(program.id(), L"glu32.dll").empty(); });
        if (dialog) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            ASSERT_TRUE(WaitUntilGone(dialog)) << "command " << command;
        } else {
            EXPECT_EQ(command, static_cast<UINT>(IDM_PRINT)) << "command " << command << " showed no dialog";
        }
    }
    for (const wchar_t* name : names) {
        if (wcscmp(name, L"probe.dll") != 0) {
            EXPECT_FALSE(marked(name)) << name << " beside the program was loaded";
        }
    }
    CloseAndExpectExitCode(program, 0);
}

TEST_F(StartupTest, ShortPathOpensUnderItsLongName)
{
    std::wstring path = folder_.Write(L"a rather long file name.text", "content");
    wchar_t shortPath[MAX_PATH];
    ASSERT_GT(GetShortPathNameW(path.c_str(), shortPath, MAX_PATH), 0u);
    ASSERT_NE(std::wstring(shortPath), path) << "Wine gave no short form";
    ScrivletProcess program(shortPath);
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" a rather long file name.text - Scrivlet");
    EXPECT_EQ(program.EditText(), L"content");
    CloseAndExpectExitCode(program, 0);
}

// Reopened later from another folder, a name kept as typed would open, or
// create, another file.
TEST_F(StartupTest, ANameRelativeToTheCurrentFolderIsRecordedWhole)
{
    std::wstring path = folder_.Write(L"notes.txt", "content");
    ScrivletProcess program(L"notes.txt", folder_.path());
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" notes.txt - Scrivlet");
    EXPECT_EQ(RecentEntries(), (std::vector<std::pair<std::wstring, std::wstring>>{{L"notes.txt", path}}));
    CloseAndExpectExitCode(program, 0);
}

TEST_F(StartupTest, OnlyTheFirstArgumentCountsAndQuotesKeepSpaces)
{
    CreateDirectoryW(folder_.Path(L"with spaces").c_str(), nullptr);
    std::wstring first = folder_.Write(L"with spaces\\first file.txt", "first");
    std::wstring second = folder_.Write(L"second.txt", "second");
    ScrivletProcess program(Quoted(first) + L" " + Quoted(second) + L" third");
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" first file.txt - Scrivlet");
    EXPECT_EQ(program.EditText(), L"first");
    CloseAndExpectExitCode(program, 0);
}

TEST_F(StartupTest, PathWhoseLongFormExceedsTheLimitIsNotCutShort)
{
    // A folder and a name that together pass 260 characters; cut at 259 they
    // would name another file in the same folder.
    std::wstring deep = folder_.path() + L"\\" + std::wstring(120, L'd');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    std::wstring path = deep + L"\\" + std::wstring(150, L'n') + L".txt";
    ASSERT_GT(path.size(), 260u);
    WriteBytes(L"\\\\?\\" + path, "too far");

    ScrivletProcess program(Quoted(path));
    ExpectErrorBox(program, L"Failed to open that file!", L"Scrivlet v2.0 - Error");
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" Untitled - Scrivlet");
    CloseAndExpectExitCode(program, 0);

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((L"\\\\?\\" + deep + L"\\*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int files = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ++files;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    EXPECT_EQ(files, 1) << "a file was created at a shortened path";
    DeleteFileW((L"\\\\?\\" + path).c_str());
    RemoveDirectoryW((L"\\\\?\\" + deep).c_str());
}

TEST_F(StartupTest, WindowsNt4IsRefusedWithExitCodeZero)
{
    PretendWindowsVersion(L"nt40");
    ScrivletProcess program;
    HWND box = program.WaitForDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), L"Operating System too old");
    EXPECT_EQ(MessageBoxText(box), L"Scrivlet requires atleast Windows 2000.");
    PressDialogButton(box, IDOK);
    DWORD code = 12345;
    ASSERT_TRUE(program.WaitForExit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(program.WaitForMainWindow(0), nullptr);
}

TEST_F(StartupTest, Windows2000IsAccepted)
{
    PretendWindowsVersion(L"win2k");
    ScrivletProcess program;
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" Untitled - Scrivlet");
    CloseAndExpectExitCode(program, 0);
}

}  // namespace
