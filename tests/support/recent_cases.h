// Histories of the recent-files list and the list each must leave, walked both
// in-process (menu texts) and through the real program (which file each
// recent command opens). Paths are relative to the test's scratch folder; each
// file holds its own relative path as its text.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

struct RecentCase {
    const char* label;
    // Entries stored before the program runs, as a list without any order.
    std::vector<std::wstring> storedBefore;
    // Files the program opens in turn.
    std::vector<std::wstring> opened;
    // Entries another program then removes and adds, keeping no order.
    std::vector<std::wstring> removedBehind;
    std::vector<std::wstring> addedBehind;
    // The list shown, first entry first.
    std::vector<std::wstring> expected;
};

inline void PrintTo(const RecentCase& recent, std::ostream* out)
{
    *out << recent.label;
}

inline std::wstring RecentName(const std::wstring& relativePath)
{
    size_t slash = relativePath.rfind(L'\\');
    return slash == std::wstring::npos ? relativePath : relativePath.substr(slash + 1);
}

const std::wstring kOne = L"one.txt", kTwo = L"two.txt", kThree = L"three.txt", kFour = L"four.txt",
                   kFive = L"five.txt", kOtherOne = L"other\\one.txt", kOtherTwo = L"other\\two.txt";

const RecentCase kRecentCases[] = {
    {"FiveOpensKeepTheLastFourNewestLast",
     {},
     {kOne, kTwo, kThree, kFour, kFive},
     {},
     {},
     {kTwo, kThree, kFour, kFive}},
    {"ReopeningTheSecondOfAFullListDropsTheFirst",
     {},
     {kOne, kTwo, kThree, kFour, kFive, kThree},
     {},
     {},
     {kThree, kFour, kFive}},
    {"ReopeningTheFirstOfAFullListMovesItLast",
     {},
     {kOne, kTwo, kThree, kFour, kFive, kTwo},
     {},
     {},
     {kThree, kFour, kFive, kTwo}},
    {"ReopeningOneOfThreeChangesOnlyItsPath", {}, {kOne, kTwo, kThree, kOtherTwo}, {}, {}, {kOne, kOtherTwo, kThree}},
    {"SameNameInTwoFoldersIsOneEntryForTheLastAdded", {}, {kOne, kOtherOne}, {}, {}, {kOtherOne}},
    {"ListWithoutOrderShowsEveryEntryInStoredOrder",
     {L"a.txt", L"b.txt", L"c.txt"},
     {},
     {},
     {},
     {L"a.txt", L"b.txt", L"c.txt"}},
    {"OpensAfterAListWithoutOrderFollowIt",
     {L"a.txt", L"b.txt", L"c.txt", L"d.txt"},
     {kOne},
     {},
     {},
     {L"b.txt", L"c.txt", L"d.txt", kOne}},
    {"EntriesChangedByAProgramKeepingNoOrderAreShownAfterTheOthers",
     {},
     {kOne, kTwo, kThree},
     {kOne},
     {L"a.txt"},
     {kTwo, kThree, L"a.txt"}},
};
