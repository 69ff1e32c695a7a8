// The File menu's recent entries as the program builds them, after histories
// of opens through the real loader.
#include "prefs/recentfiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/documentstate.h"
#include "document/filecommands.h"
#include "document/textfile.h"
#include "res/resource.h"
#include "tests/support/address_space.h"
#include "tests/support/frame_fixture.h"
#include "tests/support/recent_cases.h"
#include "tests/support/registry_reset.h"
#include "tests/support/scratch_folder.h"

namespace {

const int kFirstRecentPosition = 12;

// The texts from the first recent position down to the separator above Exit.
std::vector<std::wstring> RecentMenuTexts(HWND window)
{
    HMENU file = GetSubMenu(GetMenu(window), 0);
    std::vector<std::wstring> texts;
    for (int position = kFirstRecentPosition; position < GetMenuItemCount(file); ++position) {
        wchar_t text[300] = {};
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_FTYPE | MIIM_STRING;
        item.dwTypeData = text;
        item.cch = 300;
        if (!GetMenuItemInfoW(file, position, TRUE, &item) || (item.fType & MFT_SEPARATOR))
            break;
        texts.push_back(text);
    }
    return texts;
}

class RecentFilesTest : public FrameTest, public ::testing::WithParamInterface<RecentCase> {
protected:
    std::wstring Prepare(const std::wstring& relative)
    {
        CreateDirectoryW(folder_.Path(L"other").c_str(), nullptr);
        return folder_.Write(relative, std::string(relative.begin(), relative.end()));
    }
    void Restart()
    {
        DestroyFrame();
        CreateFrame();
    }

    ScratchFolder folder_;
};

TEST_P(RecentFilesTest, MenuShowsTheEntriesOldestFirst)
{
    const RecentCase& recent = GetParam();
    for (const std::wstring& stored : recent.storedBefore)
        AddRecentEntry(RecentName(stored), Prepare(stored));
    Restart();
    for (const std::wstring& opened : recent.opened)
        ASSERT_EQ(Scrivlet_ReadFile(window_, Prepare(opened).c_str(), &DocumentState.IsModified, &DocumentState.Format),
                  1);
    if (!recent.removedBehind.empty() || !recent.addedBehind.empty()) {
        for (const std::wstring& removed : recent.removedBehind)
            RemoveRecentEntry(RecentName(removed));
        for (const std::wstring& added : recent.addedBehind)
            AddRecentEntry(RecentName(added), Prepare(added));
        Restart();  // a running program sees such changes at its next start
    }
    std::vector<std::wstring> expected;
    for (const std::wstring& entry : recent.expected)
        expected.push_back(std::to_wstring(expected.size() + 1) + L") " + RecentName(entry));
    EXPECT_EQ(RecentMenuTexts(window_), expected);
}

INSTANTIATE_TEST_SUITE_P(Histories, RecentFilesTest, ::testing::ValuesIn(kRecentCases),
                         [](const ::testing::TestParamInfo<RecentCase>& info) { return info.param.label; });

class RecentEntryTest : public FrameTest {};

TEST_F(RecentEntryTest, EntryWithoutAPathTakesNoNumberInTheMenuOrTheCommands)
{
    ScratchFolder folder;
    std::wstring one = folder.Write(L"one.txt", "1"), two = folder.Write(L"two.txt", "2");
    AddRecentEntry(L"one.txt", one);
    AddRecentEntry(L"blank.txt", L"");
    AddRecentEntry(L"two.txt", two);
    DestroyFrame();
    CreateFrame();
    EXPECT_EQ(RecentMenuTexts(window_), (std::vector<std::wstring>{L"1) one.txt", L"2) two.txt"}));
    OpenRecentFile(window_, IDM_RECENT2);
    EXPECT_EQ(std::wstring(DocumentState.FilePath), two);
}

// A loader adds its file after the document has changed: running out of
// memory there must end in a plain failure, not an exception that would skip
// the rest of the change.
TEST_F(RecentEntryTest, WithNoMemoryLeftAnAdditionFailsWithoutThrowing)
{
    int added = -1;
    bool threw = false;
    {
        MemoryTaken taken(16u << 10);  // the list's own buffers are larger
        try {
            added = AddRecentFile(window_, L"C:\\docs\\a.txt");
        } catch (...) {
            threw = true;
        }
    }
    EXPECT_FALSE(threw);
    EXPECT_EQ(added, 0);
}

TEST_F(RecentEntryTest, ValuesNoEntryCanBeMadeOfAreSkippedAndGoAtTheNextAddition)
{
    ScratchFolder folder;
    const std::wstring names[] = {L"a.txt", L"b.txt", L"c.txt", L"d.txt", L"e.txt"};
    std::wstring paths[5];
    for (int i = 0; i < 5; ++i)
        paths[i] = folder.Write(names[i], "x");
    // Each sorts before the good entries, as Wine enumerates values by name.
    const std::wstring longPath = folder.path() + L"\\" + std::wstring(300, L'p');
    AddRecentEntry(L"!long path.txt", longPath);
    AddRecentEntry(L"!" + std::wstring(300, L'n'), paths[0]);
    AddRecentValue(L"!bad", REG_BINARY, "\x01\x02");
    AddRecentValue(L"!number", REG_DWORD, std::string("\x01\0\0\0", 4));
    AddRecentValue(L"!expandable", REG_EXPAND_SZ, std::string("%\0T\0%\0\0\0", 8));
    for (int i = 0; i < 4; ++i)
        AddRecentEntry(names[i], paths[i]);
    DestroyFrame();
    CreateFrame();
    EXPECT_EQ(RecentMenuTexts(window_),
              (std::vector<std::wstring>{L"1) a.txt", L"2) b.txt", L"3) c.txt", L"4) d.txt"}));

    ASSERT_EQ(Scrivlet_ReadFile(window_, paths[4].c_str(), &DocumentState.IsModified, &DocumentState.Format), 1);
    EXPECT_EQ(RecentMenuTexts(window_),
              (std::vector<std::wstring>{L"1) b.txt", L"2) c.txt", L"3) d.txt", L"4) e.txt"}));
    std::vector<std::pair<std::wstring, std::wstring>> kept;
    for (int i = 1; i < 5; ++i)
        kept.emplace_back(names[i], paths[i]);
    EXPECT_EQ(RecentEntries(), kept) << "the unusable values stay in the key";
}

TEST_F(RecentEntryTest, AUserWhoMayNotChangeTheMachinesListKeepsHisOwn)
{
    ScratchFolder folder;
    std::wstring old = folder.Write(L"old.txt", "o"), mine = folder.Write(L"mine.txt", "m");
    AddRecentEntry(L"old.txt", old);
    MakeScrivletMachineKeysReadOnly();
    ASSERT_EQ(Scrivlet_ReadFile(window_, mine.c_str(), &DocumentState.IsModified, &DocumentState.Format), 1);
    EXPECT_EQ(RecentMenuTexts(window_), (std::vector<std::wstring>{L"1) mine.txt"}));
    EXPECT_EQ(RecentEntries(HKEY_CURRENT_USER),
              (std::vector<std::pair<std::wstring, std::wstring>>{{L"mine.txt", mine}}));
    EXPECT_EQ(RecentEntries(), (std::vector<std::pair<std::wstring, std::wstring>>{{L"old.txt", old}}));
}

}  // namespace
