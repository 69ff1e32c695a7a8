// New, Open, Save, Save As, dropped files and recent entries, driven through
// the real program with its real dialogs and message boxes.
#include <gtest/gtest.h>

#include <algorithm>

#include "res/resource.h"
#include "tests/e2e/program_test.h"
#include "tests/support/registry_reset.h"
#include "tests/support/wait.h"

namespace {

const int kTextFiles = 0, kUnicodeTextFiles = 1, kUtf8TextFiles = 2, kAllFiles = 3;  // positions in the type list

std::wstring OverwriteQuestion(const std::wstring& path)
{
    return L"The file '" + path + L"' already exists. Overwrite it?";
}

std::string Utf16Bytes(const std::wstring& text)
{
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

bool HasRecentEntry(const std::wstring& name, const std::wstring& path)
{
    auto entries = RecentEntries();
    return std::find(entries.begin(), entries.end(), std::make_pair(name, path)) != entries.end();
}

// Holds a file open without sharing, so the program can neither read nor replace it.
class FileLock {
public:
    explicit FileLock(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~FileLock()
    {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool held() const { return file_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE file_;
};

// ---------------------------------------------------------------------------
// The save question before New, Open, a drop and a recent entry.

enum class Command { kNew, kOpen, kDrop, kRecent };

struct PromptCase {
    Command command;
    int answer;
    const char* name;
};

class SavePromptTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        a_ = folder_.Write(L"work.txt", "abc");
        b_ = folder_.Write(L"b.txt", "bcd");
        // The first recent entry, which the recent-file command opens; loading
        // work.txt adds that one after it.
        AddRecentEntry(L"b.txt", b_);
    }

    void Trigger(Command command)
    {
        switch (command) {
            case Command::kNew:
                program().PostCommand(IDM_NEW);
                break;
            case Command::kOpen:
                program().PostCommand(IDM_OPEN);
                break;
            case Command::kDrop:
                ASSERT_TRUE(program().DropFiles({b_}));
                break;
            case Command::kRecent:
                program().PostCommand(IDM_RECENT1);
                break;
        }
    }

    // What the command still needs from the user after the question.
    void GoOn(Command command)
    {
        if (command == Command::kOpen) {
            ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kOpenTitle, b_));
        }
    }

    void ExpectCommandDone(Command command)
    {
        if (command == Command::kNew) {
            ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled - Scrivlet"));
            EXPECT_EQ(program().EditText(), L"");
        } else {
            ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" b.txt - Scrivlet"));
            EXPECT_EQ(program().EditText(), L"bcd");
        }
        ExpectStatus(3, L"\t[SAVED]");
    }

    std::wstring a_, b_;
};

class SaveAnswerTest : public SavePromptTest, public ::testing::WithParamInterface<PromptCase> {};

TEST_P(SaveAnswerTest, AnswerDecidesWhatHappensToTheChanges)
{
    const PromptCase& test = GetParam();
    ASSERT_NO_FATAL_FAILURE(Start(a_));
    program().Type(L"x");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" work.txt* - Scrivlet"));

    ASSERT_NO_FATAL_FAILURE(Trigger(test.command));
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(a_), test.answer));
    if (test.answer == IDCANCEL) {
        EXPECT_TRUE(program().ShowsNoDialog()) << "the command went on after Cancel";
        ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" work.txt* - Scrivlet"));
        EXPECT_EQ(program().EditText(), L"xabc");
        EXPECT_EQ(ReadBytes(a_), "abc");
        return;
    }
    ASSERT_NO_FATAL_FAILURE(GoOn(test.command));
    ASSERT_NO_FATAL_FAILURE(ExpectCommandDone(test.command));
    EXPECT_EQ(ReadBytes(a_), test.answer == IDYES ? "xabc" : "abc");
    EXPECT_EQ(ReadBytes(b_), "bcd");
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SaveAnswerTest,
    ::testing::Values(PromptCase{Command::kNew, IDCANCEL, "NewCancel"}, PromptCase{Command::kNew, IDNO, "NewNo"},
                      PromptCase{Command::kNew, IDYES, "NewYes"}, PromptCase{Command::kOpen, IDCANCEL, "OpenCancel"},
                      PromptCase{Command::kOpen, IDNO, "OpenNo"}, PromptCase{Command::kOpen, IDYES, "OpenYes"},
                      PromptCase{Command::kDrop, IDCANCEL, "DropCancel"}, PromptCase{Command::kDrop, IDNO, "DropNo"},
                      PromptCase{Command::kDrop, IDYES, "DropYes"},
                      PromptCase{Command::kRecent, IDCANCEL, "RecentCancel"},
                      PromptCase{Command::kRecent, IDNO, "RecentNo"}, PromptCase{Command::kRecent, IDYES, "RecentYes"}),
    [](const ::testing::TestParamInfo<PromptCase>& info) { return info.param.name; });

class UntitledSaveAnswerTest : public SavePromptTest, public ::testing::WithParamInterface<PromptCase> {};

// Yes on an untitled document opens Save As; cancelling it ends the command
// with the changes still there, rather than discarding what the user chose to keep.
TEST_P(UntitledSaveAnswerTest, YesWithCancelledSaveAsKeepsTheChanges)
{
    const PromptCase& test = GetParam();
    ASSERT_NO_FATAL_FAILURE(Start());
    program().Type(L"kept");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled* - Scrivlet"));

    ASSERT_NO_FATAL_FAILURE(Trigger(test.command));
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(L"Untitled"), IDYES));
    ASSERT_NO_FATAL_FAILURE(CancelFileDialog(kSaveAsTitle));
    EXPECT_TRUE(program().ShowsNoDialog()) << "the command went on after the save did not happen";
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled* - Scrivlet"));
    EXPECT_EQ(program().EditText(), L"kept");
    EXPECT_EQ(folder_.Names().size(), 2u) << "a file was written";
}

INSTANTIATE_TEST_SUITE_P(Commands, UntitledSaveAnswerTest,
                         ::testing::Values(PromptCase{Command::kNew, IDYES, "New"},
                                           PromptCase{Command::kOpen, IDYES, "Open"},
                                           PromptCase{Command::kDrop, IDYES, "Drop"},
                                           PromptCase{Command::kRecent, IDYES, "Recent"}),
                         [](const ::testing::TestParamInfo<PromptCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------

class FileCommandsTest : public ProgramTest {};

TEST_F(FileCommandsTest, NewClearsAnUnchangedUnicodeDocumentWithoutAsking)
{
    std::wstring path = folder_.Write(L"u.txt", Utf16Bytes(L"wide"));
    ASSERT_NO_FATAL_FAILURE(Start(path));
    ExpectStatus(4, L"\tUNICODE");
    program().PostCommand(IDM_NEW);
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled - Scrivlet"));
    EXPECT_TRUE(program().ShowsNoDialog());
    EXPECT_EQ(program().EditText(), L"");
    ExpectStatus(4, L"\tANSI");
    ExpectStatus(2, L"\t(Empty)");
}

TEST_F(FileCommandsTest, OpenOfANameThatDoesNotExistCreatesItEmpty)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    std::wstring path = folder_.Path(L"fresh.txt");
    program().PostCommand(IDM_OPEN);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kOpenTitle, path));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" fresh.txt - Scrivlet"));
    ASSERT_TRUE(FileExists(path));
    EXPECT_EQ(ReadBytes(path), "");
    EXPECT_TRUE(HasRecentEntry(L"fresh.txt", path));
}

TEST_F(FileCommandsTest, CancelledOpenDialogChangesNothing)
{
    std::wstring path = folder_.Write(L"a.txt", "abc");
    ASSERT_NO_FATAL_FAILURE(Start(path));
    program().PostCommand(IDM_OPEN);
    ASSERT_NO_FATAL_FAILURE(CancelFileDialog(kOpenTitle));
    EXPECT_TRUE(program().ShowsNoDialog());
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt - Scrivlet"));
    EXPECT_EQ(program().EditText(), L"abc");
}

TEST_F(FileCommandsTest, OpenOfAnUnreadableFileFailsAndLeavesAnUntitledDocument)
{
    std::wstring a = folder_.Write(L"a.txt", "abc");
    std::wstring locked = folder_.Write(L"locked.txt", "secret");
    ASSERT_NO_FATAL_FAILURE(Start(a));
    FileLock lock(locked);
    ASSERT_TRUE(lock.held());
    program().PostCommand(IDM_OPEN);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kOpenTitle, locked));
    ASSERT_NO_FATAL_FAILURE(Answer(kErrorCaption, L"Could not open that file!", IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled - Scrivlet"));
}

TEST_F(FileCommandsTest, SaveOfAnUntitledDocumentOpensSaveAsAndCancelKeepsItModified)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    program().Type(L"draft");
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(CancelFileDialog(kSaveAsTitle));
    EXPECT_TRUE(program().ShowsNoDialog());
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled* - Scrivlet"));
    ExpectStatus(3, L"\t[UNSAVED]");
    EXPECT_TRUE(folder_.Names().empty());
    EXPECT_TRUE(RecentEntries().empty()) << "Save adds nothing to the recent files";
}

TEST_F(FileCommandsTest, SaveOfAnUntitledDocumentWritesTheChosenFileAndAddsNoRecentEntry)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    program().Type(L"draft");
    program().PostCommand(IDM_SAVE);
    std::wstring path = folder_.Path(L"s.txt");
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, path));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" s.txt - Scrivlet"));
    EXPECT_EQ(ReadBytes(path), "draft");
    ExpectStatus(3, L"\t[SAVED]");
    EXPECT_TRUE(RecentEntries().empty());
}

TEST_F(FileCommandsTest, SaveOfANamedDocumentWritesItInPlaceWithoutAsking)
{
    std::wstring path = folder_.Write(L"a.txt", "abc");
    ASSERT_NO_FATAL_FAILURE(Start(path));
    program().Type(L"x");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt* - Scrivlet"));
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt - Scrivlet"));
    EXPECT_TRUE(program().ShowsNoDialog());
    EXPECT_EQ(ReadBytes(path), "xabc");
    ExpectStatus(3, L"\t[SAVED]");
}

TEST_F(FileCommandsTest, FailedSaveIsReportedAndKeepsTheModifiedMark)
{
    std::wstring path = folder_.Write(L"a.txt", "abc");
    ASSERT_NO_FATAL_FAILURE(Start(path));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    program().Type(L"x");
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(Answer(kErrorCaption, L"Failed to save file!", IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt* - Scrivlet"));
    EXPECT_EQ(ReadBytes(path), "abc");
}

TEST_F(FileCommandsTest, FailedSaveAfterYesEndsTheCommandWithTheChangesKept)
{
    std::wstring path = folder_.Write(L"a.txt", "abc");
    ASSERT_NO_FATAL_FAILURE(Start(path));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    program().Type(L"x");
    program().PostCommand(IDM_NEW);
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(path), IDYES));
    ASSERT_NO_FATAL_FAILURE(Answer(kErrorCaption, L"Failed to save file!", IDOK));
    EXPECT_TRUE(program().ShowsNoDialog());
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt* - Scrivlet"));
    EXPECT_EQ(program().EditText(), L"xabc");
}

// Closing asks too; a save that does not happen keeps the program running.
TEST_F(FileCommandsTest, CloseKeepsRunningUntilTheChangesAreSavedOrDropped)
{
    std::wstring existing = folder_.Write(L"b.txt", "bcd");
    ASSERT_NO_FATAL_FAILURE(Start());
    program().Type(L"draft");

    program().Close();
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(L"Untitled"), IDYES));
    ASSERT_NO_FATAL_FAILURE(CancelFileDialog(kSaveAsTitle));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled* - Scrivlet"));

    program().Close();
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(L"Untitled"), IDYES));
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, existing));
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, OverwriteQuestion(existing), IDNO));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled* - Scrivlet"));
    EXPECT_EQ(program().EditText(), L"draft");
    EXPECT_EQ(ReadBytes(existing), "bcd");

    program().Close();
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(L"Untitled"), IDNO));
    DWORD code = 12345;
    ASSERT_TRUE(program().WaitForExit(&code));
    EXPECT_EQ(code, 0u);
}

TEST_F(FileCommandsTest, SaveAsOntoAnExistingFileAnsweredNoWritesNothing)
{
    std::wstring a = folder_.Write(L"a.txt", "abc");
    std::wstring b = folder_.Write(L"b.txt", "bcd");
    ASSERT_NO_FATAL_FAILURE(Start(a));
    program().Type(L"x");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, b));
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, OverwriteQuestion(b), IDNO));
    EXPECT_TRUE(program().ShowsNoDialog());
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt* - Scrivlet"));
    EXPECT_EQ(ReadBytes(b), "bcd");
    EXPECT_EQ(ReadBytes(a), "abc");
    EXPECT_FALSE(HasRecentEntry(L"b.txt", b));
}

TEST_F(FileCommandsTest, SaveAsOntoAnExistingFileCancelledStillRecordsTheCurrentPath)
{
    std::wstring b = folder_.Write(L"b.txt", "bcd");
    ASSERT_NO_FATAL_FAILURE(Start());
    program().Type(L"x");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, b));
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, OverwriteQuestion(b), IDCANCEL));
    EXPECT_TRUE(program().ShowsNoDialog());
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled* - Scrivlet"));
    EXPECT_EQ(ReadBytes(b), "bcd");
    EXPECT_TRUE(HasRecentEntry(L"Untitled", L"Untitled"));
}

TEST_F(FileCommandsTest, CancelledSaveAsOfAnUntitledDocumentAddsUntitledToTheRecentFiles)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(CancelFileDialog(kSaveAsTitle));
    EXPECT_TRUE(program().ShowsNoDialog());
    EXPECT_TRUE(HasRecentEntry(L"Untitled", L"Untitled"));
    EXPECT_TRUE(folder_.Names().empty());
}

TEST_F(FileCommandsTest, SaveAsOntoAnExistingFileAnsweredYesReplacesIt)
{
    std::wstring a = folder_.Write(L"a.txt", "abc");
    std::wstring b = folder_.Write(L"b.txt", "bcd");
    ASSERT_NO_FATAL_FAILURE(Start(a));
    program().Type(L"x");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, b));
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, OverwriteQuestion(b), IDYES));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" b.txt - Scrivlet"));
    EXPECT_EQ(ReadBytes(b), "xabc");
    EXPECT_EQ(ReadBytes(a), "abc");
    EXPECT_TRUE(HasRecentEntry(L"b.txt", b));
}

TEST_F(FileCommandsTest, FileTypeOfSaveAsDecidesTheEncodingOfThisAndLaterSaves)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    program().Type(L"hi");

    std::wstring unicode = folder_.Path(L"u.txt");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, unicode, kUnicodeTextFiles));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" u.txt - Scrivlet"));
    EXPECT_EQ(ReadBytes(unicode), Utf16Bytes(L"hi"));
    ExpectStatus(4, L"\tUNICODE");

    program().Type(L"!");
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" u.txt - Scrivlet"));
    EXPECT_EQ(ReadBytes(unicode), Utf16Bytes(L"hi!")) << "Save changed the encoding";

    std::wstring text = folder_.Path(L"t.txt");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, text, kTextFiles));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" t.txt - Scrivlet"));
    EXPECT_EQ(ReadBytes(text), "hi!");
    ExpectStatus(4, L"\tANSI");

    std::wstring again = folder_.Path(L"u2.txt");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, again, kUnicodeTextFiles));
    ExpectStatus(4, L"\tUNICODE");

    // "All Files" keeps the document's encoding.
    std::wstring all = folder_.Path(L"all.txt");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, all, kAllFiles));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" all.txt - Scrivlet"));
    EXPECT_EQ(ReadBytes(all), Utf16Bytes(L"hi!"));
    ExpectStatus(4, L"\tUNICODE");

    std::wstring utf8 = folder_.Path(L"utf8.txt");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, utf8, kUtf8TextFiles));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" utf8.txt - Scrivlet"));
    EXPECT_EQ(ReadBytes(utf8), "\xEF\xBB\xBFhi!");
    ExpectStatus(4, L"\tUTF-8 BOM");
}

// The types in their order, the dialog opening on the document's own.
TEST_F(FileCommandsTest, SaveAsListsTheTypesAndOpensOnTheDocumentsEncoding)
{
    const std::vector<std::wstring> types = {L"Text Files", L"UNICODE text files", L"UTF-8 text files", L"All Files"};
    const struct {
        std::string file;
        int shown;
    } cases[] = {
        {"plain", kTextFiles},
        {Utf16Bytes(L"wide"), kUnicodeTextFiles},
        {"caf\xC3\xA9", kUtf8TextFiles},
        {std::string("\xFE\xFF\0b", 4), kAllFiles},  // big-endian has no type of its own
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.file));
        std::wstring path = folder_.Write(L"typed.txt", c.file);
        ASSERT_NO_FATAL_FAILURE(Start(path));
        program().PostCommand(IDM_SAVEAS);
        HWND dialog = WaitForFileDialog(kSaveAsTitle);
        ASSERT_NE(dialog, nullptr);
        int shown = -1;
        EXPECT_EQ(FileDialogTypes(dialog, &shown), types);
        EXPECT_EQ(shown, c.shown);
        ASSERT_NO_FATAL_FAILURE(CancelFileDialog(kSaveAsTitle));
        program().Close();
        DWORD code = 0;
        ASSERT_TRUE(program().WaitForExit(&code));
    }
}

// ---------------------------------------------------------------------------
// Files that are not ANSI or UTF-16LE with its mark, and text that ANSI
// cannot hold.

const wchar_t kPolishJapanese[] = L"z\x0142 \x65E5\x672C";

std::wstring LossQuestion(const std::wstring& path)
{
    return L"Some characters of '" + path +
           L"' cannot be saved as ANSI.\n\nYes saves it as UTF-8 instead, keeping every character. No saves it as "
           L"ANSI anyway, which loses those characters. Cancel does not save it.";
}

struct EncodedFileCase {
    const char* name;
    std::string bytes;
    const wchar_t* status;
    std::wstring text;
    std::string saved;  // after typing "x" at the start and saving
};

class EncodedFileTest : public ProgramTest, public testing::WithParamInterface<EncodedFileCase> {};

TEST_P(EncodedFileTest, ShowsItsEncodingAndComesBackInIt)
{
    const EncodedFileCase& c = GetParam();
    std::wstring path = folder_.Write(L"file.txt", c.bytes);
    ASSERT_NO_FATAL_FAILURE(Start(path));
    ExpectStatus(4, c.status);
    EXPECT_EQ(program().EditText(), c.text);
    program().Type(L"x");
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" file.txt - Scrivlet"));
    EXPECT_TRUE(program().ShowsNoDialog());
    EXPECT_EQ(ReadBytes(path), c.saved);
}

const wchar_t kCyrillic[] =
    L"\x041F\x0440\x0438\x0432\x0435\x0442, \x043C\x0438\x0440\r\n"
    L"\x041A\x0430\x043A \x0434\x0435\x043B\x0430\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, EncodedFileTest,
    testing::Values(EncodedFileCase{"Utf8WithLf", "caf\xC3\xA9\none\ntwo\n", L"\tUTF-8 LF",
                                    L"caf\x00E9\r\none\r\ntwo\r\n", "xcaf\xC3\xA9\none\ntwo\n"},
                    EncodedFileCase{"UnmarkedCyrillicUtf16", Utf16Bytes(kCyrillic).substr(2), L"\tUTF-16LE", kCyrillic,
                                    Utf16Bytes(std::wstring(L"x") + kCyrillic).substr(2)}),
    [](const testing::TestParamInfo<EncodedFileCase>& info) { return std::string(info.param.name); });

std::wstring ReplacedBytesQuestion(const std::wstring& path)
{
    return L"Some bytes of '" + path +
           L"' are not ANSI text. They show as stand-in characters, and saving writes those characters in their "
           L"place, so the bytes themselves are lost.\n\nDo you want to save it anyway?";
}

// On a Japanese system (code page 932) E9 is a lead byte: here one without
// its trail byte, which must neither take the line end behind it nor be
// replaced without a word.
TEST_F(FileCommandsTest, OnAJapaneseSystemABrokenCharacterKeepsTheLineEndAndTheSaveAsks)
{
    std::wstring path = folder_.Write(L"sjis.txt", "caf\xE9\r\nabc\r\n");
    ASSERT_NO_FATAL_FAILURE(Start(path, L"ja_JP.UTF-8"));
    EXPECT_EQ(program().EditText(), L"caf\x30FB\r\nabc\r\n");
    ExpectStatus(4, L"\tANSI");
    program().Type(L"x");
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, ReplacedBytesQuestion(path), IDNO));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" sjis.txt* - Scrivlet"));
    EXPECT_EQ(ReadBytes(path), "caf\xE9\r\nabc\r\n");
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, ReplacedBytesQuestion(path), IDYES));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" sjis.txt - Scrivlet"));
    EXPECT_EQ(ReadBytes(path), "xcaf\x81\x45\r\nabc\r\n");
}

// Japanese on three lines, unmarked UTF-16LE, the first line ending CR LF
// and the others LF: saved with LF alone, it would have too few zeros to
// read as UTF-16.
TEST_F(FileCommandsTest, UnmarkedUtf16OpensAsTheSameLinesAfterASaveWithAndWithoutAnEdit)
{
    const std::string bytes(
        "\xE5\x65\x2C\x67\x9E\x8A\x0D\x00\x0A\x00\xE5\x65\x2C\x67\x9E\x8A\x0A\x00\xE5\x65\x2C\x67"
        "\x9E\x8A\x0A\x00",
        26);
    const std::wstring lines = L"\x65E5\x672C\x8A9E\r\n\x65E5\x672C\x8A9E\r\n\x65E5\x672C\x8A9E\r\n";
    const std::wstring path = folder_.Write(L"nihongo.txt", bytes);
    auto openAgain = [&] {
        program().Close();
        DWORD code = 0;
        ASSERT_TRUE(program().WaitForExit(&code));
        ASSERT_NO_FATAL_FAILURE(Start(path));
        EXPECT_EQ(program().EditText(), lines);
    };
    ASSERT_NO_FATAL_FAILURE(Start(path));
    EXPECT_EQ(program().EditText(), lines);
    ExpectStatus(4, L"\tUTF-16LE LF");

    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" nihongo.txt - Scrivlet"));
    EXPECT_TRUE(program().ShowsNoDialog());
    EXPECT_EQ(ReadBytes(path), bytes);
    ASSERT_NO_FATAL_FAILURE(openAgain());

    program().Type(L"x\b");
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" nihongo.txt* - Scrivlet"));
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" nihongo.txt - Scrivlet"));
    EXPECT_TRUE(program().ShowsNoDialog());
    ExpectStatus(0, L"Saved with CR LF line ends: with LF alone the file would open as ANSI text.");
    ExpectStatus(4, L"\tUTF-16LE");
    ASSERT_NO_FATAL_FAILURE(openAgain());
    ExpectStatus(4, L"\tUTF-16LE");
}

// NEC row 13, an NEC-selected IBM extension and an IBM extension: each
// character has another code, which code page 932 writes.
TEST_F(FileCommandsTest, OnAJapaneseSystemCharactersWithTwoCodesKeepTheirBytesUnlessTheUserAgrees)
{
    const std::string bytes = "\xED\x40\x87\x90\xEE\xF9";
    const std::wstring path = folder_.Write(L"nec.txt", bytes);
    ASSERT_NO_FATAL_FAILURE(Start(path, L"ja_JP.UTF-8"));
    EXPECT_EQ(program().EditText(), L"\x7E8A\x2252\xFFE2");
    ExpectStatus(4, L"\tANSI");

    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" nec.txt - Scrivlet"));
    EXPECT_TRUE(program().ShowsNoDialog());
    EXPECT_EQ(ReadBytes(path), bytes);

    // After an edit the save asks; No offers Save As, whose cancel writes nothing.
    program().Type(L"x\b");
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption,
                                   L"3 characters of '" + path +
                                       L"' have a second code in the ANSI code page, and saving writes them under the "
                                       L"other one: the text stays the same, but their bytes change.\n\nYes saves it "
                                       L"anyway. No opens Save As, to choose another name or encoding and leave the "
                                       L"file as it is. Cancel does not save it.",
                                   IDNO));
    ASSERT_NO_FATAL_FAILURE(CancelFileDialog(kSaveAsTitle));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" nec.txt* - Scrivlet"));
    EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(FileCommandsTest, TextAnsiCannotHoldIsSavedOnlyAsTheUserAnswers)
{
    std::wstring path = folder_.Write(L"a.txt", "abc");
    ASSERT_NO_FATAL_FAILURE(Start(path));
    program().Type(kPolishJapanese);

    // Cancel: nothing is written and nothing reported, and closing the
    // window stops as it does when its own question is cancelled.
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, LossQuestion(path), IDCANCEL));
    EXPECT_TRUE(program().ShowsNoDialog()) << "a cancelled save was reported";
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt* - Scrivlet"));
    EXPECT_EQ(ReadBytes(path), "abc");
    program().Close();
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(path), IDYES));
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, LossQuestion(path), IDCANCEL));
    EXPECT_TRUE(program().ShowsNoDialog());
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt* - Scrivlet"));
    EXPECT_EQ(ReadBytes(path), "abc");

    // No: ANSI anyway, each missing character as the code page's default.
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, LossQuestion(path), IDNO));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt - Scrivlet"));
    EXPECT_EQ(ReadBytes(path), "z? ??abc");
    ExpectStatus(4, L"\tANSI");

    // Yes: UTF-8 with its mark, which later saves keep without asking.
    program().Type(L"!");
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, LossQuestion(path), IDYES));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt - Scrivlet"));
    const std::string utf8 =
        "\xEF\xBB\xBF"
        "z\xC5\x82 \xE6\x97\xA5\xE6\x9C\xAC!abc";
    EXPECT_EQ(ReadBytes(path), utf8);
    ExpectStatus(4, L"\tUTF-8 BOM");
    program().Type(L"?");
    program().PostCommand(IDM_SAVE);
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt - Scrivlet"));
    EXPECT_TRUE(program().ShowsNoDialog());
}

TEST_F(FileCommandsTest, SaveAsKeepsTheNameExactlyAsTyped)
{
    ASSERT_NO_FATAL_FAILURE(Start());
    program().Type(L"n");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, folder_.Path(L"notes")));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" notes - Scrivlet"));
    EXPECT_EQ(folder_.Names(), std::vector<std::wstring>{L"notes"});
}

TEST_F(FileCommandsTest, FailedSaveAsIsReported)
{
    std::wstring b = folder_.Write(L"b.txt", "bcd");
    ASSERT_TRUE(SetFileAttributesW(b.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_NO_FATAL_FAILURE(Start());
    program().Type(L"x");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, b));
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, OverwriteQuestion(b), IDYES));
    ASSERT_NO_FATAL_FAILURE(Answer(kErrorCaption, L"Failed to save file!", IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled* - Scrivlet"));
    EXPECT_EQ(ReadBytes(b), "bcd");
}

TEST_F(FileCommandsTest, SaveAsThatCannotRecordTheFileSaysSo)
{
    DenyScrivletRecentKey();
    ASSERT_NO_FATAL_FAILURE(Start());
    program().Type(L"x");
    std::wstring path = folder_.Path(L"kept.txt");
    program().PostCommand(IDM_SAVEAS);
    ASSERT_NO_FATAL_FAILURE(AcceptFileDialogWith(kSaveAsTitle, path));
    ASSERT_NO_FATAL_FAILURE(Answer(kErrorCaption, L"Failed to add to MRU!", IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" kept.txt - Scrivlet"));
    EXPECT_EQ(ReadBytes(path), "x");
}

TEST_F(FileCommandsTest, TwoDroppedFilesOnAModifiedDocumentAskFirstThenAreRefused)
{
    std::wstring a = folder_.Write(L"a.txt", "abc");
    std::wstring b = folder_.Write(L"b.txt", "bcd");
    std::wstring c = folder_.Write(L"c.txt", "cde");
    ASSERT_NO_FATAL_FAILURE(Start(a));
    program().Type(L"x");
    ASSERT_TRUE(program().DropFiles({b, c}));
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(a), IDYES));
    ASSERT_NO_FATAL_FAILURE(Answer(kErrorCaption, L"You can only drop one file at a time into Scrivlet.", IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt - Scrivlet"));
    EXPECT_EQ(program().EditText(), L"xabc");
    EXPECT_EQ(ReadBytes(a), "xabc");
}

// A file the control takes minutes to lay out asks first, with its size and
// the time; after Yes its read shows the progress, and Cancel there leaves
// the document as it was.
TEST_F(FileCommandsTest, AHugeFileAsksFirstAndCancelDuringItsReadLeavesTheDocument)
{
    std::wstring a = folder_.Write(L"a.txt", "abc");
    const std::wstring huge = folder_.Path(L"huge.txt");
    {
        HANDLE file = CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        std::string line = std::string(78, 'x') + "\r\n";
        std::string megabyte;
        while (megabyte.size() < (1u << 20))
            megabyte += line;
        megabyte.resize(1u << 20);
        DWORD written = 0;
        for (int i = 0; i < 300; ++i)
            WriteFile(file, megabyte.data(), static_cast<DWORD>(megabyte.size()), &written, nullptr);
        CloseHandle(file);
    }
    ASSERT_NO_FATAL_FAILURE(Start(a));
    ASSERT_TRUE(program().DropFiles({huge}));
    HWND question = program().WaitForDialogTitled(L"Long Operation Warning - Scrivlet", 10000);
    ASSERT_NE(question, nullptr) << "nothing was asked";
    const std::wstring asked = L"The file is 300 MB. Showing its text takes about ";
    EXPECT_EQ(MessageBoxText(question).substr(0, asked.size()), asked);
    PressDialogButton(question, IDYES);
    HWND progress = program().WaitForDialogTitled(L"Opening", 10000);
    ASSERT_NE(progress, nullptr) << "the read showed no progress";
    PressDialogButton(progress, IDCANCEL);
    ASSERT_TRUE(WaitUntilGone(progress, 10000));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" a.txt - Scrivlet"));
    EXPECT_EQ(program().EditText(), L"abc");
    EXPECT_TRUE(program().ShowsNoDialog());
}

TEST_F(FileCommandsTest, DroppedFileThatCannotBeReadFailsAndTheProgramGoesOn)
{
    std::wstring a = folder_.Write(L"a.txt", "abc");
    std::wstring locked = folder_.Write(L"locked.txt", "secret");
    ASSERT_NO_FATAL_FAILURE(Start(a));
    FileLock lock(locked);
    ASSERT_TRUE(lock.held());
    ASSERT_TRUE(program().DropFiles({locked}));
    ASSERT_NO_FATAL_FAILURE(Answer(kErrorCaption, L"Failed to open that file!", IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled - Scrivlet"));
    program().Close();
    DWORD code = 12345;
    ASSERT_TRUE(program().WaitForExit(&code)) << "the program did not end";
    EXPECT_EQ(code, 0u);
}

TEST_F(FileCommandsTest, RecentEntryWhoseFileWasDeletedIsCreatedAgainEmpty)
{
    std::wstring gone = folder_.Path(L"gone.txt");
    AddRecentEntry(L"gone.txt", gone);
    ASSERT_NO_FATAL_FAILURE(Start());
    program().PostCommand(IDM_RECENT1);
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" gone.txt - Scrivlet"));
    EXPECT_TRUE(program().ShowsNoDialog());
    ASSERT_TRUE(FileExists(gone));
    EXPECT_EQ(ReadBytes(gone), "");
    EXPECT_EQ(program().EditText(), L"");
}

TEST_F(FileCommandsTest, RecentEntriesAreChosenByTheirPlaceInTheList)
{
    std::wstring one = folder_.Write(L"one.txt", "1");
    std::wstring two = folder_.Write(L"two.txt", "2");
    AddRecentEntry(L"one.txt", one);
    AddRecentEntry(L"two.txt", two);
    ASSERT_NO_FATAL_FAILURE(Start());
    program().Type(L"x");
    // No third entry: nothing happens, not even the save question.
    program().PostCommand(IDM_RECENT3);
    EXPECT_TRUE(program().ShowsNoDialog());
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled* - Scrivlet"));
    program().PostCommand(IDM_RECENT2);
    ASSERT_NO_FATAL_FAILURE(Answer(kPromptCaption, SaveQuestion(L"Untitled"), IDNO));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" two.txt - Scrivlet"));
    EXPECT_EQ(program().EditText(), L"2");
}

TEST_F(FileCommandsTest, RecentEntryThatCannotBeReadFails)
{
    std::wstring locked = folder_.Write(L"locked.txt", "secret");
    AddRecentEntry(L"locked.txt", locked);
    ASSERT_NO_FATAL_FAILURE(Start());
    FileLock lock(locked);
    ASSERT_TRUE(lock.held());
    program().PostCommand(IDM_RECENT1);
    ASSERT_NO_FATAL_FAILURE(Answer(kErrorCaption, L"Failed to open file!", IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectTitle(L" Untitled - Scrivlet"));
}

}  // namespace
