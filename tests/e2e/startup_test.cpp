// Starting the real program: command line, platform check, exit codes.
#include <windows.h>
#include <psapi.h>
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

    void ExpectErrorBox(ScrivletProcess& program, const std::wstring& text, const std::wstring& caption)
    {
        HWND box = program.WaitForDialog();
        ASSERT_NE(box, nullptr) << "no message box appeared";
        EXPECT_EQ(WindowText(box), caption);
        EXPECT_EQ(MessageBoxText(box), text);
        PressDialogButton(box, IDOK);
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

TEST_F(StartupTest, AFileTooLargeForMemoryIsReportedAndTheProgramStaysUsable)
{
    if (sizeof(void*) == 8)
        GTEST_SKIP() << "a 64-bit program has the memory for this file";
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
    ExpectErrorBox(program, L"Failed to open that file!", L"Scrivlet v2.0 - Error");
    ASSERT_TRUE(program.WaitUntilReady());
    EXPECT_EQ(program.Title(), L" Untitled - Scrivlet");
    program.Type(L"still here");
    EXPECT_TRUE(WaitUntil([&] { return program.EditText() == L"still here"; })) << program.EditText();
    program.Close();
    HWND question = program.WaitForDialog();
    ASSERT_NE(question, nullptr) << "closing did not ask about the typed text";
    PressDialogButton(question, IDNO);
    DWORD code = 12345;
    ASSERT_TRUE(program.WaitForExit(&code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
}

// The lower-case names of the DLLs mapped in the given process.
std::vector<std::wstring> LoadedModules(DWORD processId)
{
    std::vector<std::wstring> names;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    HMODULE modules[512];
    DWORD bytes = 0;
    if (process && EnumProcessModules(process, modules, sizeof(modules), &bytes)) {
        for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
            wchar_t name[MAX_PATH] = {};
            GetModuleBaseNameW(process, modules[i], name, MAX_PATH);
            names.push_back(CharLowerW(name));
        }
    }
    if (process)
        CloseHandle(process);
    return names;
}

TEST_F(StartupTest, TheDialogPrintingAndOpenGlLibrariesAreMappedOnlyOnceACommandNeedsThem)
{
    ScrivletProcess program;
    ASSERT_TRUE(program.WaitUntilReady());
    auto loaded = [&](const wchar_t* dll) {
        std::vector<std::wstring> modules = LoadedModules(program.id());
        return std::find(modules.begin(), modules.end(), dll) != modules.end();
    };
    ASSERT_TRUE(loaded(L"user32.dll")) << "the program's modules could not be listed";
    for (const wchar_t* dll : {L"comdlg32.dll", L"winspool.drv", L"opengl32.dll", L"glu32.dll"})
        EXPECT_FALSE(loaded(dll)) << dll << " was mapped at start-up";
    const struct {
        UINT command;
        std::vector<const wchar_t*> dlls;
        int closingButton;
    } commands[] = {{IDM_OPEN, {L"comdlg32.dll"}, IDCANCEL}, {IDM_ABOUT, {L"opengl32.dll", L"glu32.dll"}, IDOK}};
    for (const auto& command : commands) {
        program.PostCommand(command.command);
        HWND dialog = program.WaitForDialog();
        ASSERT_NE(dialog, nullptr) << "command " << command.command << " showed no dialog";
        // The logo maps its libraries on its own thread, a moment later.
        for (const wchar_t* dll : command.dlls)
            EXPECT_TRUE(WaitUntil([&] { return loaded(dll); })) << dll << " was not mapped";
        PressDialogButton(dialog, command.closingButton);
        ASSERT_TRUE(WaitUntilGone(dialog)) << "command " << command.command;
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
