// The recovery copies: their bytes, the store's claims, and when they are
// written.
#include "recovery/recoverycopy.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "document/documentchange.h"
#include "document/documentstate.h"
#include "platform/framemessages.h"
#include "platform/scopedhandle.h"
#include "recovery/recoverylock.h"
#include "recovery/recoveryoffer.h"
#include "recovery/recoverystore.h"
#include "recovery/recoverywriter.h"
#include "recovery/sessionend.h"
#include "res/resource.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/swapped_call.h"
#include "tests/support/wait.h"
#include "tools/findreplace.h"

namespace {

// A process that ran once and runs no more: this one's id with another start.
ProcessIdentity EndedProcess(DWORD startLow)
{
    ProcessIdentity ended = CurrentProcessIdentity();
    ended.Start.dwLowDateTime ^= startLow;
    return ended;
}

// A program of the test's own folder, started; it is ended, and its handles
// closed, with this.
class Started {
public:
    Started(const wchar_t* name, const wchar_t* arguments, DWORD flags)
    {
        wchar_t program[MAX_PATH];
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        std::wstring path = program;
        if (name)
            path = path.substr(0, path.rfind(L'\\') + 1) + name;
        std::wstring commandLine = L"\"" + path + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        EXPECT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                                   &info_));
    }
    ~Started()
    {
        if (info_.hProcess) {
            TerminateProcess(info_.hProcess, 1);
            CloseHandle(info_.hProcess);
            CloseHandle(info_.hThread);
        }
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    HANDLE process() const { return info_.hProcess; }
    DWORD id() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ = {};
};

RecoveryHeader Header(const ProcessIdentity& writer, const TextFormat& format, const wchar_t* path, size_t length)
{
    RecoveryHeader header = {};
    header.Writer = writer;
    header.Written = {0x89ABCDEF, 0x01D9ABCD};
    header.Format = format;
    wcscpy(header.FilePath, path);
    header.Base.Known = 1;
    header.Base.LastWrite = {0x12345678, 0x01D90000};
    header.Base.Size = 0x123456789ull;
    header.Base.HasIndex = 1;
    header.Base.VolumeSerial = 0xCAFEF00D;
    header.Base.IndexHigh = 3;
    header.Base.IndexLow = 0xFFFFFFFF;
    header.Base.Hash = 0xFEDCBA9876543210ull;
    header.TextLength = length;
    return header;
}

bool SameFormat(const TextFormat& a, const TextFormat& b)
{
    return a.Encoding == b.Encoding && a.HasMark == b.HasMark && a.LineEnds == b.LineEnds &&
           a.NullStandIn == b.NullStandIn && a.HasOddByte == b.HasOddByte && a.OddByte == b.OddByte &&
           a.HasReplacedBytes == b.HasReplacedBytes && a.RecodedCharacters == b.RecodedCharacters;
}

std::wstring TextOf(HLOCAL block)
{
    std::wstring text = static_cast<wchar_t*>(LocalLock(block));
    LocalUnlock(block);
    LocalFree(block);
    return text;
}

class RecoveryStoreTest : public testing::Test {
protected:
    std::wstring Write(const ProcessIdentity& writer, const std::wstring& text, const TextFormat& format = {},
                       const wchar_t* path = L"C:\\notes\\a.txt")
    {
        EXPECT_TRUE(WriteRecoveryCopy(folder_.path().c_str(), Header(writer, format, path, text.size()), text.c_str()));
        return OwnCopyName(writer);
    }
    std::vector<std::wstring> Claim(const ProcessIdentity& claimer)
    {
        return ClaimAbandonedCopies(folder_.path().c_str(), claimer);
    }
    std::wstring PathOf(const std::wstring& name) { return StorePath(folder_.path().c_str(), name); }
    // Holds owner's lock in the folder until the test ends.
    void HoldLock(const ProcessIdentity& owner)
    {
        locks_.push_back(std::make_unique<ScopedHandle>(HoldRecoveryLock(folder_.path().c_str(), owner)));
        ASSERT_TRUE(locks_.back()->valid());
    }

    ScratchFolder folder_;
    std::vector<std::unique_ptr<ScopedHandle>> locks_;
};

TEST_F(RecoveryStoreTest, EveryFormatAndTheWholeHeaderComeBackAsWritten)
{
    const wchar_t text[] = L"Typed \u00E9\u65E5\U0001F600 and a stand-in \u2400\r\nend";
    const TextFormat formats[] = {
        {kAnsiText, 0, kCrLfLineEnds, 0, 0, 0, 1, 3}, {kUtf16LeText, 1, kCrLfLineEnds, 0, 1, 0xA5, 0},
        {kUtf8Text, 0, kLfLineEnds, 0x2400, 0, 0, 0}, {kUtf16BeText, 0, kCrLineEnds, 0xE000, 1, 0x00, 0},
        {kUtf8Text, 1, kCrLfLineEnds, 0, 0, 0, 0},
    };
    for (const wchar_t* path : {L"C:\\notes\\a.txt", L"Untitled"}) {
        for (const TextFormat& format : formats) {
            const ProcessIdentity writer = EndedProcess(format.Encoding + 1);
            const std::wstring name = Write(writer, text, format, path);
            RecoveryHeader read;
            ASSERT_EQ(ReadRecoveryHeader(PathOf(name).c_str(), &read), CopyCondition::Whole);
            const RecoveryHeader written = Header(writer, format, path, wcslen(text));
            EXPECT_TRUE(SameProcess(read.Writer, writer));
            EXPECT_EQ(CompareFileTime(&read.Written, &written.Written), 0);
            EXPECT_TRUE(SameFormat(read.Format, format)) << "encoding " << format.Encoding;
            EXPECT_STREQ(read.FilePath, path);
            EXPECT_EQ(memcmp(&read.Base, &written.Base, sizeof(written.Base)), 0);
            EXPECT_EQ(TextOf(ReadRecoveryText(PathOf(name).c_str(), read)), text);
        }
    }
}

TEST_F(RecoveryStoreTest, ACutShortCopyIsOfferedAsFarAsItIsWholeAndAnyOtherFileIsUnusable)
{
    const std::wstring name = Write(EndedProcess(1), L"0123456789");
    const std::string whole = ReadBytes(PathOf(name));
    struct Case {
        std::string bytes;
        CopyCondition condition;
        const wchar_t* text;
    };
    std::string otherMagic = whole;
    otherMagic[0] = 'X';
    // Written before locks: the same header without the count of characters
    // with two codes at its end.
    std::string earlierFormat = whole.substr(0, kFirstHeaderSize) + whole.substr(kRecoveryHeaderSize);
    earlierFormat[8] = 1;
    earlierFormat[12] = static_cast<char>(kFirstHeaderSize & 0xFF);
    earlierFormat[13] = static_cast<char>(kFirstHeaderSize >> 8);
    std::string laterFormat = whole;
    laterFormat[8] = 3;
    const Case cases[] = {
        {whole.substr(0, whole.size() - 5), CopyCondition::CutShort, L"0123456"},  // half a unit too
        {whole.substr(0, kRecoveryHeaderSize + 1), CopyCondition::CutShort, L""},
        {whole.substr(0, kRecoveryHeaderSize - 1), CopyCondition::Unusable, nullptr},
        {"", CopyCondition::Unusable, nullptr},
        {otherMagic, CopyCondition::Unusable, nullptr},
        {earlierFormat, CopyCondition::Whole, L"0123456789"},
        {laterFormat, CopyCondition::Unusable, nullptr},
    };
    for (const Case& c : cases) {
        WriteBytes(PathOf(name), c.bytes);
        RecoveryHeader read;
        ASSERT_EQ(ReadRecoveryHeader(PathOf(name).c_str(), &read), c.condition) << c.bytes.size() << " bytes";
        if (c.text) {
            EXPECT_EQ(TextOf(ReadRecoveryText(PathOf(name).c_str(), read)), c.text);
        }
    }
}

TEST_F(RecoveryStoreTest, AWriteThatFailsLeavesTheLastGoodCopy)
{
    const ProcessIdentity writer = EndedProcess(1);
    const std::wstring name = Write(writer, L"last good");
    // A folder under the name the next copy is written under refuses it, as
    // a full disk would.
    ASSERT_TRUE(CreateDirectoryW((PathOf(name) + L"-new").c_str(), nullptr));
    EXPECT_FALSE(WriteRecoveryCopy(folder_.path().c_str(), Header(writer, {}, L"Untitled", 5), L"newer"));
    RecoveryHeader read;
    ASSERT_EQ(ReadRecoveryHeader(PathOf(name).c_str(), &read), CopyCondition::Whole);
    EXPECT_EQ(TextOf(ReadRecoveryText(PathOf(name).c_str(), read)), L"last good");
}

TEST_F(RecoveryStoreTest, OnlyCopiesOfEndedProcessesAreClaimedAndEachByOneClaimer)
{
    const ProcessIdentity running = CurrentProcessIdentity();
    HoldLock(running);
    Write(running, L"still being typed");
    const std::wstring ended = Write(EndedProcess(1), L"left behind");
    for (const wchar_t* stranger : {L"notes.txt", L"0000000a-0000000000000001.recovery",
                                    L"0000000A-000000000000001.recovery", L"0000000A-0000000000000001.lock2"})
        folder_.Write(stranger, "not a copy");
    const size_t filesBefore = folder_.Names().size();

    // The first claimer takes the one copy whose writer has ended; a second,
    // while the first holds its lock, finds nothing left to claim.
    const std::vector<std::wstring> first = Claim(running);
    ASSERT_EQ(first, std::vector<std::wstring>{ClaimName(running, EndedProcess(1))});
    EXPECT_TRUE(Claim(EndedProcess(2)).empty());
    EXPECT_TRUE(FileExists(PathOf(OwnCopyName(running))));
    EXPECT_EQ(folder_.Names().size(), filesBefore);

    // A claimer that ended with the question up leaves the copy to the next.
    const ProcessIdentity next = EndedProcess(3);
    WriteBytes(PathOf(ClaimName(EndedProcess(4), EndedProcess(5))), "c");
    std::vector<std::wstring> again = ClaimAbandonedCopies(folder_.path().c_str(), next);
    EXPECT_EQ(again, std::vector<std::wstring>{ClaimName(next, EndedProcess(5))});

    // Cancel gives the copy back under its writer's name, for a later start.
    ASSERT_TRUE(ReleaseClaim(folder_.path().c_str(), first[0]));
    EXPECT_TRUE(FileExists(PathOf(ended)));
}

TEST_F(RecoveryStoreTest, HalfWrittenCopiesAndLocksOfEndedWritersGoAndARunningWritersStay)
{
    const ProcessIdentity running = CurrentProcessIdentity(), ended = EndedProcess(1);
    HoldLock(running);
    for (const ProcessIdentity& writer : {running, ended}) {
        Write(writer, L"last good");
        folder_.Write(LeftoverName(writer), "cut while it was writ");
    }
    folder_.Write(LockName(ended), "");  // a power cut left it

    Claim(EndedProcess(2));
    EXPECT_TRUE(FileExists(PathOf(LeftoverName(running))));
    EXPECT_TRUE(FileExists(PathOf(LockName(running))));
    EXPECT_FALSE(FileExists(PathOf(LeftoverName(ended))));
    EXPECT_FALSE(FileExists(PathOf(LockName(ended))));
}

TEST(RecoveryLock, AWriterRunsWhileItsLockIsHeldAndOnlyACopyWrittenBeforeLocksAsksItsProcess)
{
    const struct {
        bool deleted;
        DWORD error;
        bool held;
    } locks[] = {
        {false, ERROR_SHARING_VIOLATION, true},  // the holder's handle
        {true, ERROR_SUCCESS, false},            // nobody held it: gone now
        {false, ERROR_FILE_NOT_FOUND, false},   {false, ERROR_PATH_NOT_FOUND, false},
        {false, ERROR_ACCESS_DENIED, true},  // cannot tell
    };
    for (const auto& c : locks)
        EXPECT_EQ(JudgeLockHeld(c.deleted, c.error), c.held) << c.deleted << " " << c.error;

    const ProcessLook refused = {false, ERROR_ACCESS_DENIED, false, false, false};
    const ProcessLook gone = {false, ERROR_INVALID_PARAMETER, false, false, false};
    const struct {
        bool lockHeld;
        uint32_t version;
        ProcessLook process;
        bool runs;
    } owners[] = {
        {true, kLockedCopyVersion, gone, true},
        // The id now belongs to a service: its lock tells, not the process.
        {false, kLockedCopyVersion, refused, false},
        {false, kLockedCopyVersion - 1, refused, true},
        {false, kLockedCopyVersion - 1, gone, false},
    };
    for (const auto& c : owners)
        EXPECT_EQ(JudgeOwnerRuns(c.lockHeld, c.version, c.process), c.runs) << c.lockHeld << " " << c.version;
}

TEST(FormatRecoveryQuestion, SaysWhoseChangesWhatBecameOfTheFileAndWhatEachButtonDoes)
{
    const struct {
        const wchar_t* path;
        CopyCondition condition;
        FileState file;
        const wchar_t* middle;  // between the time and the buttons
    } cases[] = {
        {L"Untitled", CopyCondition::Whole, FileState::Same, L""},
        {L"C:\\a.txt", CopyCondition::Whole, FileState::Changed, L"\n\nThe file has been changed since then."},
        {L"C:\\a.txt", CopyCondition::Whole, FileState::Gone, L"\n\nThe file is no longer there."},
        {L"C:\\a.txt", CopyCondition::CutShort, FileState::Same, L"\n\nOnly the first part of the text was kept."},
        {L"Untitled", CopyCondition::Whole, FileState::Same,
         L"\n\nThe name and format kept with it could not be used: it comes back untitled."},
    };
    for (const auto& c : cases) {
        wchar_t text[1024];
        const bool madeUntitled = c.middle[0] && wcsstr(c.middle, L"untitled");
        FormatRecoveryQuestion(Header(EndedProcess(1), {}, c.path, 0), c.condition, c.file, madeUntitled, text);
        const std::wstring question = text;
        const std::wstring whose = wcscmp(c.path, L"Untitled") == 0 ? L"an untitled document" : L"'C:\\a.txt'";
        EXPECT_EQ(question.find(L"Scrivlet ended without saving the changes to " + whose + L", last kept at "), 0u)
            << testing::PrintToString(question);
        const std::wstring buttons =
            L"\n\nYes restores them in a window, still unsaved. No discards them for good. "
            L"Cancel keeps them for the next start.";
        EXPECT_NE(question.find(std::wstring(c.middle) + buttons), std::wstring::npos)
            << testing::PrintToString(question);
    }
}

// What the platform answers about real processes: a child that runs, the
// same child once it has ended, and a later process given an earlier one's id.
TEST(ProcessIdentity, ARunningProcessRunsAndAnEndedOrLaterOneDoesNot)
{
    const Started child(nullptr, L"--gtest_list_tests", CREATE_SUSPENDED);
    ASSERT_NE(child.process(), nullptr);
    ProcessIdentity identity = {child.id(), {}};
    FILETIME exited, kernel, user;
    ASSERT_TRUE(GetProcessTimes(child.process(), &identity.Start, &exited, &kernel, &user));

    EXPECT_TRUE(JudgeProcessRuns(LookAtProcess(identity)));
    ProcessIdentity later = identity;
    later.Start.dwLowDateTime ^= 1;
    EXPECT_FALSE(JudgeProcessRuns(LookAtProcess(later)));
    TerminateProcess(child.process(), 3);
    ASSERT_EQ(WaitForSingleObject(child.process(), kDefaultWaitMs), WAIT_OBJECT_0);
    // Our handle keeps the id from being given to another process.
    EXPECT_FALSE(JudgeProcessRuns(LookAtProcess(identity)));
}

TEST(RecoveryDelay, ACopyComesTwoSecondsAfterAPauseAndAtLeastEveryThirtySeconds)
{
    const DWORD cases[][3] = {
        // now, first change no copy holds, delay
        {1000, 1000, 2000}, {29000, 1000, 2000}, {30000, 1000, 1000},
        {31000, 1000, 0},   {90000, 1000, 0},    {5, 0xFFFFFF00, 2000},  // the tick count wrapped
    };
    for (const auto& c : cases)
        EXPECT_EQ(RecoveryDelay(c[0], c[1]), c[2]) << c[0] << " " << c[1];
}

TEST(AgreeToEndSession, OnlyChangesNoCopyCouldHoldKeepTheSessionFromEndingUnlessTheEndIsCritical)
{
    const struct {
        bool behind, written, critical, agree;
    } cases[] = {
        {false, false, false, true}, {true, true, false, true},  {true, false, false, false},
        {true, false, true, true},   {false, false, true, true}, {true, true, true, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AgreeToEndSession(c.behind, c.written, c.critical), c.agree) << c.behind << c.written << c.critical;
}

TEST(RestorableAsWritten, OnlyAWholePathOrUntitledAndAStandInOfTheLoadersAreTaken)
{
    const struct {
        const wchar_t* path;
        wchar_t standIn;
        bool restorable;
    } cases[] = {
        {L"C:\\notes\\a.txt", 0, true}, {L"d:\\a.txt", 0x2400, true},  {L"\\\\server\\share\\a.txt", 0xE123, true},
        {L"Untitled", 0xF8FF, true},    {L"notes\\a.txt", 0, false},   {L"..\\a.txt", 0, false},
        {L"C:a.txt", 0, false},         {L"\\a.txt", 0, false},        {L"\\\\\\a.txt", 0, false},
        {L"C:\\a.txt", L'A', false},    {L"C:\\a.txt", 0xF900, false},
    };
    for (const auto& c : cases) {
        TextFormat format = {};
        format.NullStandIn = c.standIn;
        EXPECT_EQ(RestorableAsWritten(Header(EndedProcess(1), format, c.path, 0)), c.restorable)
            << testing::PrintToString(std::wstring(c.path)) << " " << static_cast<int>(c.standIn);
    }
}

TEST(DecideSessionEnd, TheCopyIsKeptWheneverTheSessionEndsAndRestartManagerAlsoClosesTheProgram)
{
    const LPARAM kCloseApp = 0x1, kCritical = 0x40000000, kLogoff = static_cast<LPARAM>(0x80000000u);
    const struct {
        bool ending;
        LPARAM reasons;
        SessionEndStep step;
    } cases[] = {
        {true, 0, SessionEndStep::KeepCopy},
        {true, kLogoff, SessionEndStep::KeepCopy},
        {true, kCritical, SessionEndStep::KeepCopy},
        {true, kCloseApp, SessionEndStep::KeepCopyAndExit},
        {true, kCloseApp | kCritical, SessionEndStep::KeepCopyAndExit},
        {false, kCloseApp | kLogoff, SessionEndStep::CarryOn},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecideSessionEnd(c.ending, c.reasons), c.step) << c.ending << " " << c.reasons;
}

// The writer in the real frame, with this process's copy in the real store.
class RecoveryWriterTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        ASSERT_TRUE(RecoveryFolder(folder_, StoreUse::Write));
        copy_ = StorePath(folder_, OwnCopyName(CurrentProcessIdentity()));
    }
    void TearDown() override
    {
        DeleteFileW(copy_.c_str());
        FrameTest::TearDown();
    }
    void Type(const std::wstring& text)
    {
        SendMessageW(edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    }
    // The text of this process's copy once it holds expected, or what it
    // held last.
    std::wstring CopyHolding(const std::wstring& expected)
    {
        std::wstring held;
        WaitUntil(
            [&] {
                RecoveryHeader header;
                if (ReadRecoveryHeader(copy_.c_str(), &header) != CopyCondition::Whole)
                    return false;
                held = TextOf(ReadRecoveryText(copy_.c_str(), header));
                return held == expected;
            },
            10000);
        return held;
    }

    // Dispatches nothing until the worker's room for the text is queued.
    void WaitForRoomMade()
    {
        MSG queued;
        ASSERT_TRUE(WaitUntilNoPump([&] {
            return PeekMessageW(&queued, window_, WM_SCRIVLET_COPYROOM, WM_SCRIVLET_COPYROOM, PM_NOREMOVE) != FALSE;
        }));
    }
    static bool WaitUntilNoPump(const std::function<bool()>& condition)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < kDefaultWaitMs; Sleep(10))
            if (condition())
                return true;
        return false;
    }

    wchar_t folder_[kPathCapacity];
    std::wstring copy_;
};

// Records the reason given for keeping the session from ending.
std::wstring BlockReasonSeen;
BOOL WINAPI RecordBlockReason(HWND, LPCWSTR reason)
{
    BlockReasonSeen = reason;
    return TRUE;
}

TEST_F(RecoveryWriterTest, AReplaceAllBeforeTheCopyIsFilledEndsUpInACopy)
{
    Type(L"one two one");
    StartRecoveryCopy(window_);
    WaitForRoomMade();
    // Replace All hands its text to the control behind the worker's message,
    // so the copy about to be filled holds the text from before it.
    HandleCommand(window_, MAKEWPARAM(IDM_FINDREPLACE, 0), 0);
    SetDlgItemTextW(FindReplaceDialog, IDC_FINDTEXT, L"one");
    SetDlgItemTextW(FindReplaceDialog, IDC_REPLACETEXT, L"three");
    SendDlgItemMessageW(FindReplaceDialog, IDC_REPLACEALL, BM_CLICK, 0, 0);
    EXPECT_EQ(CopyHolding(L"three two three"), L"three two three");
    DestroyWindow(FindReplaceDialog);
}

TEST_F(RecoveryWriterTest, TheEndOfTheSessionIsAgreedToOnlyOnceTheCopyIsWritten)
{
    Type(L"typed a moment ago");
    EXPECT_EQ(SendMessageW(window_, WM_QUERYENDSESSION, 0, 0), TRUE);
    RecoveryHeader header;
    ASSERT_EQ(ReadRecoveryHeader(copy_.c_str(), &header), CopyCondition::Whole) << "no copy before the answer";
    EXPECT_EQ(TextOf(ReadRecoveryText(copy_.c_str(), header)), L"typed a moment ago");
}

TEST_F(RecoveryWriterTest, WithNoPlaceForTheCopyTheEndIsRefusedWithAReasonAndABoxComesAfterTheAnswer)
{
    // A file where the store's folder should be, as a profile gone wrong has.
    ASSERT_TRUE(RemoveDirectoryW(folder_)) << "the store holds files";
    WriteBytes(folder_, "not a folder");
    SwappedCall<decltype(ShutdownBlockCall.create)> recording(ShutdownBlockCall.create, RecordBlockReason);
    BlockReasonSeen.clear();
    Type(L"nowhere to keep this");
    {
        DialogAnswerer duringTheQuery(IDOK, 2000);
        EXPECT_EQ(SendMessageW(window_, WM_QUERYENDSESSION, 0, 0), FALSE);
        EXPECT_FALSE(duringTheQuery.Finish()) << "a box while the system waits for the answer";
    }
    EXPECT_EQ(BlockReasonSeen, L"Unsaved changes could not be kept. Save them before you sign out.");
    DialogAnswerer afterwards(IDOK);
    PumpMessages();
    EXPECT_TRUE(afterwards.Finish());
    EXPECT_NE(afterwards.text().find(L"kept Windows from ending the session"), std::wstring::npos);
    const LPARAM kCritical = 0x40000000;
    EXPECT_EQ(SendMessageW(window_, WM_QUERYENDSESSION, 0, kCritical), TRUE) << "a critical end cannot be refused";
    DeleteFileW(folder_);
}

TEST_F(RecoveryWriterTest, ACopyWithAPathOrStandInOfItsOwnComesBackAsUntitledText)
{
    const ProcessIdentity writer = EndedProcess(9), claimer = EndedProcess(10);
    TextFormat format = {};
    format.Encoding = kUtf8Text;
    format.NullStandIn = L'x';
    RecoveryHeader header = Header(writer, format, L"..\\elsewhere.txt", 4);
    ASSERT_TRUE(WriteRecoveryCopy(folder_, header, L"kept"));
    const std::wstring claim = ClaimName(claimer, writer);
    ASSERT_TRUE(MoveFileW(StorePath(folder_, OwnCopyName(writer)).c_str(), StorePath(folder_, claim).c_str()));

    RestoreHandedCopy(window_, claim.c_str());
    EXPECT_EQ(EditTextAfterPump(), L"kept");
    EXPECT_STREQ(DocumentState.FilePath, L"Untitled");
    EXPECT_EQ(DocumentState.Format.Encoding, kAnsiText);
    EXPECT_EQ(DocumentState.Format.NullStandIn, 0);
    EXPECT_EQ(DocumentState.IsModified, 1);
}

// A copy whose writer is another process, alive and then killed: the real
// lock, held by the real program, against none.
TEST_F(RecoveryWriterTest, AnotherProgramsCopyIsClaimedOnlyOnceItsWriterIsGone)
{
    const Started scrivlet(L"scrivlet.exe", L"", 0);
    ASSERT_NE(scrivlet.process(), nullptr);
    const DWORD id = scrivlet.id();
    HWND other = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (other = FindProcessWindow(id, L"Scrivlet_Wnd", true)) != nullptr; }));
    PostMessageW(GetDlgItem(other, IDC_EDIT), WM_CHAR, L'x', 1);
    std::wstring othersCopy;
    ASSERT_TRUE(WaitUntil([&] {
        for (const std::wstring& name : NamesIn(folder_)) {
            CopyName parsed;
            if (ParseCopyName(name.c_str(), &parsed) && parsed.Kind == StoreEntry::Copy && parsed.Owner.Id == id)
                othersCopy = name;
        }
        return !othersCopy.empty();
    })) << "the other program wrote no copy";

    const ProcessIdentity claimer = EndedProcess(11);
    EXPECT_TRUE(ClaimAbandonedCopies(folder_, claimer).empty()) << "the copy of a running writer was claimed";
    TerminateProcess(scrivlet.process(), 1);
    ASSERT_EQ(WaitForSingleObject(scrivlet.process(), kDefaultWaitMs), WAIT_OBJECT_0);
    CopyName parsed;
    ASSERT_TRUE(ParseCopyName(othersCopy.c_str(), &parsed));
    const std::vector<std::wstring> claims = ClaimAbandonedCopies(folder_, claimer);
    ASSERT_EQ(claims, std::vector<std::wstring>{ClaimName(claimer, parsed.Owner)});
    EXPECT_TRUE(DiscardClaim(folder_, claims[0]));
}

TEST_F(RecoveryWriterTest, TextTypedWhileTheRoomIsMadeIsInTheCopyAndASaveRemovesIt)
{
    Type(L"typed");
    StartRecoveryCopy(window_);
    // More than the room made for the text of a moment ago: that job is
    // dropped and the next one takes it all.
    const std::wstring pasted(20000, L'p');
    Type(pasted);
    EXPECT_EQ(CopyHolding(L"typed" + pasted), L"typed" + pasted);

    DocumentState.IsModified = 0;
    DocumentChanged(window_);
    EXPECT_FALSE(FileExists(copy_)) << "the copy outlived the text's save";
}

}  // namespace
