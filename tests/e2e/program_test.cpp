#include "tests/e2e/program_test.h"

#include <string>

#include "recovery/recoverystore.h"
#include "tests/support/registry_reset.h"
#include "tests/support/wait.h"

const wchar_t kPromptCaption[] = L"Scrivlet 2.0";
const wchar_t kErrorCaption[] = L"Scrivlet v2.0 - Error";
const wchar_t kSaveAsTitle[] = L"Scrivlet 2.0 - Save As";
const wchar_t kOpenTitle[] = L"Scrivlet 2.0 - Open";

std::wstring SaveQuestion(const std::wstring& path)
{
    return L"The contents of '" + path + L"' have changed. Do you want to save?";
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

std::vector<std::wstring> RecoveryStoreFiles()
{
    std::vector<std::wstring> paths;
    wchar_t folder[kPathCapacity];
    if (RecoveryFolder(folder)) {
        for (const std::wstring& name : NamesIn(folder))
            paths.push_back(StorePath(folder, name));
    }
    return paths;
}

std::vector<std::wstring> RecoveryStoreNames()
{
    std::vector<std::wstring> kept;
    for (const std::wstring& path : RecoveryStoreFiles()) {
        CopyName parsed;
        const std::wstring name = path.substr(path.rfind(L'\\') + 1);
        if (ParseCopyName(name.c_str(), &parsed) &&
            (parsed.Kind == StoreEntry::Copy || parsed.Kind == StoreEntry::Claim))
            kept.push_back(path);
    }
    return kept;
}

void ClearRecoveryStore()
{
    for (const std::wstring& path : RecoveryStoreFiles())
        DeleteFileW(path.c_str());
}

void ProgramTest::SetUp()
{
    ResetScrivletRegistry();
    ClearRecoveryStore();
}

void ProgramTest::TearDown()
{
    // A program ended with unsaved text leaves its copy, which the next
    // test's program would offer.
    program_.reset();
    ResetScrivletRegistry();
    ClearRecoveryStore();
}

void ProgramTest::Start(const std::wstring& file, const std::wstring& locale)
{
    program_ = std::make_unique<ScrivletProcess>(file.empty() ? L"" : Quoted(file), folder_.path(), L"", locale);
    ASSERT_TRUE(program_->started()) << "scrivlet.exe did not start, error " << program_->startError();
    ASSERT_TRUE(program_->WaitUntilReady()) << "the main window did not come up";
}

void ProgramTest::Answer(const std::wstring& caption, const std::wstring& text, int button)
{
    HWND box = program().WaitForDialogTitled(caption);
    ASSERT_NE(box, nullptr) << "no box captioned \"" << caption << "\" appeared (expected \"" << text << "\")";
    EXPECT_EQ(MessageBoxText(box), text);
    PressDialogButton(box, button);
    ASSERT_TRUE(WaitUntilGone(box)) << "the box \"" << text << "\" did not close";
}

HWND ProgramTest::WaitForFileDialog(const std::wstring& title)
{
    // The first file dialog in a new prefix sets up the shell's folders and
    // took over 10 s while another test ran beside it.
    return program().WaitForDialogTitled(title, 30000);
}

void ProgramTest::AcceptFileDialogWith(const std::wstring& title, const std::wstring& path, int typeIndex)
{
    HWND dialog = WaitForFileDialog(title);
    ASSERT_NE(dialog, nullptr) << "the dialog \"" << title << "\" did not appear";
    ASSERT_TRUE(AcceptFileDialog(dialog, path, typeIndex)) << "the dialog could not be filled in";
    ASSERT_TRUE(WaitUntilGone(dialog)) << "the dialog \"" << title << "\" did not close";
}

void ProgramTest::CancelFileDialog(const std::wstring& title)
{
    HWND dialog = WaitForFileDialog(title);
    ASSERT_NE(dialog, nullptr) << "the dialog \"" << title << "\" did not appear";
    PressDialogButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntilGone(dialog)) << "the dialog \"" << title << "\" did not close";
}

void ProgramTest::ExpectTitle(const std::wstring& title)
{
    ASSERT_TRUE(program().WaitUntilIdle()) << "the program did not become idle";
    EXPECT_EQ(program().Title(), title);
}

void ProgramTest::ExpectStatus(int part, const std::wstring& text)
{
    // Parts 1 and 2 follow the text on the 200 ms timer, not at once.
    bool shown = WaitUntil([&] { return program().StatusText(part) == text; }, 5000);
    EXPECT_TRUE(shown) << "status part " << part << " shows \"" << program().StatusText(part) << "\", not \"" << text
                       << "\"";
}
