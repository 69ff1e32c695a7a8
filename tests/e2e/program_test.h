// Shared ground for the tests that drive scrivlet.exe: a clean registry, a
// scratch folder as the program's working folder, and the boxes it shows.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/scrivlet_process.h"
#include "tests/support/scratch_folder.h"

extern const wchar_t kPromptCaption[];
extern const wchar_t kErrorCaption[];
extern const wchar_t kSaveAsTitle[];
extern const wchar_t kOpenTitle[];

// Every file in the program's store of recovery copies (locks included),
// and the copies and claims alone: the texts kept. Full paths.
std::vector<std::wstring> RecoveryStoreFiles();
std::vector<std::wstring> RecoveryStoreNames();
void ClearRecoveryStore();

// The question asked before unsaved changes would be lost.
std::wstring SaveQuestion(const std::wstring& path);
std::wstring Quoted(const std::wstring& path);

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the program in the scratch folder, with file on its command line
    // unless empty, in the host locale when given (see ScrivletProcess), and
    // waits until it is ready.
    void Start(const std::wstring& file = L"", const std::wstring& locale = L"");
    ScrivletProcess& program() { return *program_; }

    // Waits for the box with this caption, checks its text, presses button
    // and waits until it has closed.
    void Answer(const std::wstring& caption, const std::wstring& text, int button);
    // Waits for the Save As or Open dialog and returns it (null on timeout).
    HWND WaitForFileDialog(const std::wstring& title);
    // Fills the dialog in and waits until it has closed.
    void AcceptFileDialogWith(const std::wstring& title, const std::wstring& path, int typeIndex = -1);
    void CancelFileDialog(const std::wstring& title);

    // Waits until the program is idle again and its title reads title.
    void ExpectTitle(const std::wstring& title);
    // The status part shows text by the next timer refresh.
    void ExpectStatus(int part, const std::wstring& text);

    ScratchFolder folder_;
    std::unique_ptr<ScrivletProcess> program_;
};
