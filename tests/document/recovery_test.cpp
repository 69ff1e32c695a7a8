// The recovery copies: their bytes, the store's claims, and when they are
// written.
#include "document/recoverycopy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/sessionend.h"
#include "document/documentstate.h"
#include "document/recoveryoffer.h"
#include "document/recoverystore.h"
#include "document/recoverywriter.h"
#include "res/resource.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/wait.h"

namespace {

// A process that ran once and runs no more: this one's id with another start.
ProcessIdentity EndedProcess(DWORD startLow)
{
    ProcessIdentity ended = CurrentProcessIdentity();
    ended.Start.dwLowDateTime ^= startLow;
    return ended;
}

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
           a.HasReplacedBytes == b.HasReplacedBytes;
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

    ScratchFolder folder_;
};

TEST_F(RecoveryStoreTest, EveryFormatAndTheWholeHeaderComeBackAsWritten)
{
    const wchar_t text[] = L"Typed \u00E9\u65E5\U0001F600 and a stand-in \u2400\r\nend";
    const TextFormat formats[] = {
        {kAnsiText, 0, kCrLfLineEnds, 0, 0, 0, 1},    {kUtf16LeText, 1, kCrLfLineEnds, 0, 1, 0xA5, 0},
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
    std::string laterFormat = whole;
    laterFormat[8] = 2;
    const Case cases[] = {
        {whole.substr(0, whole.size() - 5), CopyCondition::CutShort, L"0123456"},  // half a unit too
        {whole.substr(0, kRecoveryHeaderSize + 1), CopyCondition::CutShort, L""},
        {whole.substr(0, kRecoveryHeaderSize - 1), CopyCondition::Unusable, nullptr},
        {"", CopyCondition::Unusable, nullptr},
        {otherMagic, CopyCondition::Unusable, nullptr},
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
    Write(running, L"still being typed");
    const std::wstring ended = Write(EndedProcess(1), L"left behind");
    for (const wchar_t* stranger : {L"notes.txt", L"0000000A-0000000000000001.recovery-new",
                                    L"0000000a-0000000000000001.recovery", L"0000000A-000000000000001.recovery"})
        folder_.Write(stranger, "not a copy");
    const size_t filesBefore = folder_.Names().size();

    // The first claimer takes the one copy whose writer has ended; a second,
    // while the first still runs, finds nothing left to claim.
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
    };
    for (const auto& c : cases) {
        wchar_t text[1024];
        FormatRecoveryQuestion(Header(EndedProcess(1), {}, c.path, 0), c.condition, c.file, text);
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

TEST(ProcessIdentity, OnlyAProcessKnownToHaveEndedCountsAsEnded)
{
    struct Case {
        ProcessLook look;
        bool runs;
    };
    const Case cases[] = {
        {{true, 0, true, true, false}, true},
        {{true, 0, true, false, false}, false},  // a later process with the same id
        {{true, 0, true, true, true}, false},
        {{false, ERROR_INVALID_PARAMETER, false, false, false}, false},
        {{false, ERROR_ACCESS_DENIED, false, false, false}, true},  // elevated, or another user's
        {{true, 0, false, false, false}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JudgeProcessRuns(c.look), c.runs)
            << c.look.opened << c.look.openError << c.look.timesRead << c.look.sameStart << c.look.exited;
    EXPECT_TRUE(ProcessStillRuns(CurrentProcessIdentity()));
    EXPECT_FALSE(ProcessStillRuns(EndedProcess(1)));
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

    wchar_t folder_[kPathCapacity];
    std::wstring copy_;
};

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
