// The smoke set: the 32-bit program driven through everything in which its
// build can differ from the 64-bit one (calling conventions of the functions
// bound at run time, structure layouts, the dialogs, OpenGL, a second
// process). Under emulation each start of the program costs about a minute,
// so the cases share one program, in order, and the whole set starts it
// three times: once with a file named, once by New Window, once after a
// kill. The driver may be the 64-bit test program (SCRIVLET_PROGRAM names the
// program then).
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/program_test.h"
#include "tests/support/screen_pixels.h"
#include "tests/support/wait.h"

namespace {

// Under emulation a start takes about a minute, and a library's first use,
// loaded by the emulated loader, several seconds.
const DWORD kStartMs = 300000;
const DWORD kStepMs = 120000;

const wchar_t kSettingsTitle[] = L"Scrivlet 2.0 Settings";
const wchar_t kLogoClass[] = L"glLogoControl";

struct EncodedFile {
    const wchar_t* name;
    std::string bytes;
    const wchar_t* status;
    const wchar_t* text;
};

// The Arabic file ends the 64-bit program inside Wine's text shaping.
const EncodedFile kOtherEncodings[] = {
    {L"marked utf8.txt",
     "\xEF\xBB\xBF"
     "caf\xC3\xA9\r\n",
     L"\tUTF-8 BOM", L"caf\x00E9\r\n"},
    {L"utf16le.txt", std::string("\xFF\xFEw\0i\0d\0e\0\r\0\n\0", 14), L"\tUNICODE", L"wide\r\n"},
    {L"utf16be.txt", std::string("\xFE\xFF\0b\0i\0g\0\r\0\n", 12), L"\tUNICODE BE", L"big\r\n"},
    {L"arabic.txt", std::string("\xFF\xFE\x44\x06\x27\x06\x4E\x06\r\0\n\0", 12), L"\tUNICODE",
     L"\x0644\x0627\x064E\r\n"},
    {L"ansi cr.txt", "one\rtwo\r", L"\tANSI CR", L"one\r\ntwo\r\n"},
};

// The program's keys in the 32-bit view of the registry, where the 32-bit
// program keeps them when the driver is the 64-bit test program.
void ResetThirtyTwoBitKeys()
{
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY software;
        if (RegOpenKeyExW(root, L"Software", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &software) == ERROR_SUCCESS) {
            SHDeleteKeyW(software, L"Scrivlet");
            RegCloseKey(software);
        }
    }
}

// How many different colours the screen shows in window.
size_t ColoursShown(HWND window)
{
    std::vector<DWORD> colours = ScreenPixels(window);
    std::sort(colours.begin(), colours.end());
    return static_cast<size_t>(std::unique(colours.begin(), colours.end()) - colours.begin());
}

class SmokeTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder_ = new ScratchFolder();
        ResetThirtyTwoBitKeys();
        ClearRecoveryStore();
        Start(folder_->Write(L"start.txt", "caf\xC3\xA9\nline\n"));
    }
    static void TearDownTestSuite()
    {
        program_.reset();
        ResetThirtyTwoBitKeys();
        ClearRecoveryStore();
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override
    {
        if (!program_ || !program_->started() || !program_->mainWindow())
            FAIL() << "the program did not start";
        DWORD code = 0;
        if (program_->WaitForExit(&code, 0))
            FAIL() << "the program has ended, exit code 0x" << std::hex << code;
    }

    static void Start(const std::wstring& file = L"")
    {
        program_ = std::make_unique<ScrivletProcess>(file.empty() ? L"" : Quoted(file), folder_->path());
        ASSERT_TRUE(program_->started()) << "scrivlet.exe did not start, error " << program_->startError();
        ASSERT_TRUE(program_->WaitUntilReady(kStartMs)) << "the main window did not come up";
    }
    static ScrivletProcess& program() { return *program_; }

    // Waits for the dialog with this caption, or any dialog when empty.
    static HWND Dialog(const std::wstring& caption = L"")
    {
        return caption.empty() ? program().WaitForDialog(kStepMs) : program().WaitForDialogTitled(caption, kStepMs);
    }
    static void Press(HWND dialog, int button)
    {
        PressDialogButton(dialog, button);
        ASSERT_TRUE(WaitUntilGone(dialog, kStepMs)) << "the dialog did not close";
    }
    static void OpenThroughTheDialog(const std::wstring& path)
    {
        program().PostCommand(IDM_OPEN);
        HWND dialog = Dialog(kOpenTitle);
        ASSERT_NE(dialog, nullptr) << "the Open dialog did not appear";
        ASSERT_TRUE(AcceptFileDialog(dialog, path)) << "the Open dialog could not be filled in";
        ASSERT_TRUE(WaitUntilGone(dialog, kStepMs)) << "the Open dialog did not close";
    }
    // Waits until the program is idle with this title: a new document's text
    // is handed to the edit control after its title is set.
    static void ExpectTitle(const std::wstring& title)
    {
        EXPECT_TRUE(WaitUntil([&] { return program().Title() == title; }, kStepMs))
            << "the title reads \"" << program().Title() << "\", not \"" << title << "\"";
        EXPECT_TRUE(program().WaitUntilIdle(kStepMs)) << "the program stopped answering";
    }
    static void ExpectStatus(const std::wstring& text)
    {
        EXPECT_TRUE(WaitUntil([&] { return program().StatusText(4) == text; }, 5000))
            << "the status shows \"" << program().StatusText(4) << "\", not \"" << text << "\"";
    }

    static ScratchFolder* folder_;
    static std::unique_ptr<ScrivletProcess> program_;
};

ScratchFolder* SmokeTest::folder_ = nullptr;
std::unique_ptr<ScrivletProcess> SmokeTest::program_;

TEST_F(SmokeTest, TheFileNamedOnTheCommandLineIsShown)
{
    ExpectTitle(L" start.txt - Scrivlet");
    EXPECT_EQ(program().EditText(), L"caf\x00E9\r\nline\r\n");
    ExpectStatus(L"\tUTF-8 LF");
}

TEST_F(SmokeTest, TheOpenDialogOpensEveryOtherEncoding)
{
    for (const EncodedFile& file : kOtherEncodings) {
        SCOPED_TRACE(file.name);
        ASSERT_NO_FATAL_FAILURE(OpenThroughTheDialog(folder_->Write(file.name, file.bytes)));
        ExpectTitle(std::wstring(L" ") + file.name + L" - Scrivlet");
        EXPECT_EQ(program().EditText(), file.text);
        ExpectStatus(file.status);
    }
}

TEST_F(SmokeTest, TypedTextIsSavedWithCtrlS)
{
    const std::wstring path = folder_->Write(L"typed.txt", "abc\r\n");
    ASSERT_NO_FATAL_FAILURE(OpenThroughTheDialog(path));
    ExpectTitle(L" typed.txt - Scrivlet");
    program().Type(L"x");
    ASSERT_TRUE(program().PressKeys({VK_CONTROL}, 'S'));
    ExpectTitle(L" typed.txt - Scrivlet");
    EXPECT_EQ(ReadBytes(path), "xabc\r\n");
}

TEST_F(SmokeTest, SaveAsWritesTheChosenFile)
{
    const std::wstring path = folder_->Path(L"saved as.txt");
    program().PostCommand(IDM_SAVEAS);
    HWND dialog = Dialog(kSaveAsTitle);
    ASSERT_NE(dialog, nullptr) << "the Save As dialog did not appear";
    ASSERT_TRUE(AcceptFileDialog(dialog, path));
    ASSERT_TRUE(WaitUntilGone(dialog, kStepMs));
    ExpectTitle(L" saved as.txt - Scrivlet");
    EXPECT_EQ(ReadBytes(path), "xabc\r\n");
}

TEST_F(SmokeTest, FontAndBothColourDialogsOpenAndTakeOk)
{
    for (UINT command : {IDM_FONT, IDM_FORECOLOR, IDM_BACKCOLOR}) {
        SCOPED_TRACE(command);
        program().PostCommand(command);
        HWND dialog = Dialog();
        ASSERT_NE(dialog, nullptr) << "no dialog";
        ASSERT_NO_FATAL_FAILURE(Press(dialog, IDOK));
        ASSERT_TRUE(program().WaitUntilIdle(kStepMs)) << "the program stopped answering";
        EXPECT_EQ(program().EditText(), L"xabc\r\n");
    }
}

TEST_F(SmokeTest, PrintingSendsAJobToTheTestQueue)
{
    // Wine's spooler writes the jobs of the queue "PDF" to a file.
    const std::wstring job = folder_->Path(L"job.ps");
    auto toUnix = reinterpret_cast<char*(CDECL*)(const wchar_t*)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    ASSERT_NE(toUnix, nullptr);
    char* target = toUnix(job.c_str());
    HKEY spooler = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, L"Software\\Wine\\Printing\\Spooler", &spooler), ERROR_SUCCESS);
    RegSetValueExA(spooler, "CUPS:PDF", 0, REG_SZ, reinterpret_cast<BYTE*>(target), lstrlenA(target) + 1);
    HeapFree(GetProcessHeap(), 0, target);
    program().PostCommand(IDM_PRINT);
    HWND dialog = Dialog();
    ASSERT_NE(dialog, nullptr) << "the Print dialog did not appear";
    ASSERT_NO_FATAL_FAILURE(Press(dialog, IDOK));
    const bool printed =
        WaitUntil([&] { return FileExists(job) && ReadBytes(job).find("%%EOF") != std::string::npos; }, kStepMs);
    RegDeleteValueW(spooler, L"CUPS:PDF");
    RegCloseKey(spooler);
    ASSERT_TRUE(printed) << "no whole job reached the queue";
    EXPECT_NE(ReadBytes(job).find("%%Page: 1"), std::string::npos);
    EXPECT_TRUE(program().ShowsNoDialog());
}

TEST_F(SmokeTest, TheSettingsDialogSetsTheOpacity)
{
    const int kAlpha = 160;
    program().PostCommand(IDM_SETTINGS);
    HWND dialog = Dialog(kSettingsTitle);
    ASSERT_NE(dialog, nullptr) << "the settings dialog did not appear";
    SendMessageW(GetDlgItem(dialog, IDC_OPACITY), TBM_SETPOS, TRUE, kAlpha);
    // Modeless: OK hides it.
    PressDialogButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, kStepMs)) << "the settings dialog stayed";
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(program().mainWindow(), nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, kAlpha);
    EXPECT_TRUE(flags & LWA_ALPHA);
}

TEST_F(SmokeTest, TheAboutBoxDrawsItsLogo)
{
    program().PostCommand(IDM_ABOUT);
    HWND dialog = Dialog();
    ASSERT_NE(dialog, nullptr) << "the about box did not appear";
    HWND logo = FindWindowExW(dialog, nullptr, kLogoClass, nullptr);
    ASSERT_NE(logo, nullptr) << "the about box has no logo";
    // Black until OpenGL draws the first frame; the cube and its backdrop
    // show many colours.
    EXPECT_TRUE(WaitUntil([&] { return ColoursShown(logo) > 16; }, kStepMs))
        << "the logo shows " << ColoursShown(logo) << " colours";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(dialog, kStepMs));
    EXPECT_TRUE(program().WaitUntilIdle(kStepMs)) << "the program stopped answering";
}

TEST_F(SmokeTest, ADroppedFileIsOpened)
{
    ASSERT_TRUE(program().DropFiles({folder_->Write(L"dropped.txt", "dropped\r\n")}));
    ExpectTitle(L" dropped.txt - Scrivlet");
    EXPECT_EQ(program().EditText(), L"dropped\r\n");
}

TEST_F(SmokeTest, NewWindowStartsASecondThirtyTwoBitProgram)
{
    ASSERT_TRUE(program().PressKeys({VK_CONTROL}, 'W'));
    HWND other = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            auto windows = program().OtherMainWindows();
            other = windows.empty() ? nullptr : windows.front();
            return other && IsWindowVisible(other) && WindowText(other) == L" Untitled - Scrivlet";
        },
        kStartMs))
        << "no second program window appeared";
    DWORD otherId = 0;
    GetWindowThreadProcessId(other, &otherId);
    HANDLE otherProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, otherId);
    ASSERT_NE(otherProcess, nullptr);
    // A 32-bit process on 64-bit Windows (and in Wine's 64-bit prefix) runs
    // under WoW64.
    auto isWow64 = reinterpret_cast<BOOL(WINAPI*)(HANDLE, BOOL*)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    EXPECT_TRUE(isWow64 && isWow64(otherProcess, &wow64) && wow64) << "the second program is no 32-bit one";
    // Closed as the user closes it, it ends cleanly: a stack that a call
    // left unbalanced shows at the latest when the program returns.
    PostMessageW(other, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(otherProcess, kStepMs), WAIT_OBJECT_0) << "the second program did not close";
    DWORD code = 12345;
    GetExitCodeProcess(otherProcess, &code);
    EXPECT_EQ(code, 0u) << "the second program ended with 0x" << std::hex << code;
    CloseHandle(otherProcess);
}

TEST_F(SmokeTest, UnsavedTextOutlivesTheSessionsEndAndAKill)
{
    program().Type(L"y");
    EXPECT_TRUE(WaitUntil([] { return RecoveryStoreNames().size() == 1; }, kStepMs))
        << "the recovery worker wrote no copy";
    DWORD_PTR agreed = 0;
    ASSERT_TRUE(
        SendMessageTimeoutW(program().mainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, kStepMs, &agreed));
    EXPECT_EQ(agreed, static_cast<DWORD_PTR>(TRUE));
    EXPECT_TRUE(program().ShowsNoDialog());
    ASSERT_TRUE(
        SendMessageTimeoutW(program().mainWindow(), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, kStepMs, nullptr));
    program_.reset();

    ASSERT_NO_FATAL_FAILURE(Start());
    HWND offer = Dialog(kPromptCaption);
    ASSERT_NE(offer, nullptr) << "the unsaved text was not offered";
    EXPECT_NE(MessageBoxText(offer).find(folder_->Path(L"dropped.txt")), std::wstring::npos) << MessageBoxText(offer);
    ASSERT_NO_FATAL_FAILURE(Press(offer, IDYES));
    ExpectTitle(L" dropped.txt* - Scrivlet");
    EXPECT_EQ(program().EditText(), L"ydropped\r\n");
}

}  // namespace
