// Another program changes the document's file: the program notices when the
// user comes back to it, and a save never overwrites the other program's text
// without asking.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "tests/e2e/program_test.h"
#include "tests/support/wait.h"

namespace {

enum class Act { Type, Rewrite, Touch, Delete, PutBack, Save, ComeBack, Close };

struct Step {
    Act act;
    const wchar_t* box = nullptr;  // the start of the box this step brings up, or null for none
    int answer = 0;
};

struct OutsideCase {
    const char* name;
    std::vector<Step> steps;
    const char* file;  // the file's bytes at the end
    const wchar_t* text;
    bool modified;
};

const wchar_t kReplace[] = L"'%s' was changed by another program since it was opened or last saved.";
const wchar_t kDrop[] = L"'%s' was changed by another program.\n\nYes loads that version";
const wchar_t kSave[] = L"The contents of '%s' have changed.";

class OutsideChangesTest : public ProgramTest, public testing::WithParamInterface<OutsideCase> {
protected:
    void Do(const Step& step, const std::wstring& path)
    {
        switch (step.act) {
            case Act::Type:
                program().Type(L"x");
                break;
            case Act::Rewrite:
                WriteBytes(path, "OUR TEXT");  // as long as ours: only the bytes tell
                break;
            case Act::Touch: {
                HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
                FILETIME later;
                GetFileTime(file, nullptr, nullptr, &later);
                later.dwHighDateTime += 1;
                SetFileTime(file, nullptr, nullptr, &later);
                CloseHandle(file);
                break;
            }
            case Act::Delete:
                DeleteFileW(path.c_str());
                break;
            case Act::PutBack:
                WriteBytes(path, "our text");
                break;
            case Act::Save:
                program().PostCommand(IDM_SAVE);
                break;
            case Act::ComeBack:
                ASSERT_TRUE(program().ComeBack()) << "the program's window did not come back to the front";
                break;
            case Act::Close:
                program().PostCommand(IDM_EXIT);
                break;
        }
        if (!step.box) {
            EXPECT_TRUE(program().ShowsNoDialog()) << "a box came up";
            return;
        }
        HWND box = program().WaitForDialogTitled(kPromptCaption);
        ASSERT_NE(box, nullptr) << "no question came up";
        wchar_t expected[1024];
        wsprintfW(expected, step.box, path.c_str());
        EXPECT_EQ(MessageBoxText(box).substr(0, wcslen(expected)), expected);
        PressDialogButton(box, step.answer);
        ASSERT_TRUE(WaitUntilGone(box));
    }
};

TEST_P(OutsideChangesTest, TheOtherProgramsTextIsNeverOverwrittenUnasked)
{
    const OutsideCase& c = GetParam();
    const std::wstring path = folder_.Write(L"notes.txt", "our text");
    ASSERT_NO_FATAL_FAILURE(Start(path));
    for (const Step& step : c.steps)
        ASSERT_NO_FATAL_FAILURE(Do(step, path));
    ASSERT_TRUE(program().WaitUntilIdle());
    EXPECT_EQ(ReadBytes(path), c.file);
    EXPECT_EQ(program().EditText(), c.text);
    EXPECT_EQ(program().Title(), c.modified ? L" notes.txt* - Scrivlet" : L" notes.txt - Scrivlet");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OutsideChangesTest,
    testing::Values(
        OutsideCase{"WrittenThenSavedAsksAndNoKeepsTheirText",
                    {{Act::Type}, {Act::Rewrite}, {Act::Save, kReplace, IDNO}},
                    "OUR TEXT",
                    L"xour text",
                    true},
        OutsideCase{"WrittenThenSavedAndYesReplacesIt",
                    {{Act::Type}, {Act::Rewrite}, {Act::Save, kReplace, IDYES}},
                    "xour text",
                    L"xour text",
                    false},
        OutsideCase{
            "UnmodifiedIsReloadedOnComingBack", {{Act::Rewrite}, {Act::ComeBack}}, "OUR TEXT", L"OUR TEXT", false},
        OutsideCase{"ModifiedAsksOnceAndNoKeepsThisText",
                    {{Act::Type}, {Act::Rewrite}, {Act::ComeBack, kDrop, IDNO}, {Act::ComeBack}},
                    "OUR TEXT",
                    L"xour text",
                    true},
        OutsideCase{"DeletedMarksTheTextUnsavedClosingAsksAndSaveWritesItAgain",
                    {{Act::Delete}, {Act::ComeBack}, {Act::Close, kSave, IDCANCEL}, {Act::Save}},
                    "our text",
                    L"our text",
                    false},
        OutsideCase{"DeletedAndPutBackAsItWasIsSavedAgain",
                    {{Act::Delete}, {Act::ComeBack}, {Act::PutBack}, {Act::ComeBack}},
                    "our text",
                    L"our text",
                    false},
        OutsideCase{"DeletedThenTypedAndPutBackStaysUnsaved",
                    {{Act::Delete}, {Act::ComeBack}, {Act::Type}, {Act::PutBack}, {Act::ComeBack}},
                    "our text",
                    L"xour text",
                    true},
        OutsideCase{"OwnSavesAskNothing",
                    {{Act::Type}, {Act::Save}, {Act::ComeBack}, {Act::Type}, {Act::Save}},
                    "xxour text",
                    L"xxour text",
                    false},
        OutsideCase{"TouchedWithTheSameBytesAsksNothing",
                    {{Act::Type}, {Act::Touch}, {Act::ComeBack}, {Act::Save}},
                    "xour text",
                    L"xour text",
                    false}),
    [](const testing::TestParamInfo<OutsideCase>& info) { return std::string(info.param.name); });

}  // namespace
