// Finding text: the case-blind classes against the platform's comparison for
// every code unit, and the search against StrStrIW over random texts.
#include "tools/textsearch.h"

#include <shlwapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Hex(const std::wstring& text)
{
    std::string out;
    char unit[8];
    for (wchar_t c : text) {
        snprintf(unit, sizeof(unit), "%04X ", static_cast<unsigned>(c));
        out += unit;
    }
    return out;
}

bool PlatformEqual(const std::wstring& a, const std::wstring& b)
{
    return CompareStringW(GetThreadLocale(), NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

// What the platform's own comparison demands of a unit: no class for a unit
// it weighs as nothing, and the platform's comparison wherever the unit's
// weight reaches past itself (its witness, an expansion or a composition,
// compares equal). Plain letters, digits and punctuation that keep a weight
// of their own must take the fast way. Kana, jamo and ideographs may go
// either way; EveryCodeUnitComparesAsItsClassSays holds them to their class.
TEST(CaseBlindClass, SortsUnitsIntoFastAndPlatformOnes)
{
    struct Case {
        wchar_t unit;
        bool plain;
        std::wstring witness = L"", equalTo = L"";
    } cases[] = {
        {L'a', true},
        {L'Z', true},
        {L'0', true},
        {L' ', true},
        {L'\r', true},
        {L'\n', true},
        {L'-', true},
        {L'\'', true},
        {0x00E9, true},
        {0x0130, true},
        {0x0131, true},
        {0x03C2, true},
        {0x212A, true},
        {0x0001, true},
        {0x00AD, false},
        {0x200D, false},
        {0x200C, false},
        {0xFEFF, false},
        {0x00DF, false, L"\x00DF", L"ss"},
        {0x00E6, false, L"\x00E6", L"ae"},
        {0xFB01, false, L"\xFB01", L"fi"},
        {0x0301, false, L"e\x0301", L"\x00E9"},
        {0x1100, false, L"\x1100\x1161", L"\xAC00"},
        {0x30FC, false, L"\x30AB\x30FC", L"\x30AB\x30A2"},
        {0x3042, false},
        {0x4E00, false},
    };
    for (const Case& c : cases) {
        const unsigned found = CaseBlindClass(c.unit);
        const bool weightless = PlatformEqual({c.unit}, L"") && PlatformEqual({L'a', c.unit, L'b'}, L"ab");
        EXPECT_EQ(found == 1, weightless) << "unit " << Hex({c.unit});
        if (!c.witness.empty() && PlatformEqual(c.witness, c.equalTo)) {
            EXPECT_EQ(found, 0u) << "unit " << Hex({c.unit}) << " compares as " << Hex(c.equalTo);
        }
        if (c.plain && !weightless) {
            EXPECT_GE(found, 2u) << "unit " << Hex({c.unit});
        }
    }
    // Surrogates form characters only in pairs.
    EXPECT_EQ(CaseBlindClass(0xD800), 0u);
    EXPECT_EQ(CaseBlindClass(0xDC00), 0u);
}

// Units of one class compare equal, also between neighbours that would
// show weights they borrow or drop; ignored units vanish; and units of
// different classes never compare equal, which sorting the classes'
// first units by the platform's own order proves pair by pair.
TEST(CaseBlindClass, EveryCodeUnitComparesAsItsClassSays)
{
    std::map<unsigned, wchar_t> first;
    for (unsigned unit = 0; unit < 65536; ++unit) {
        const wchar_t u = static_cast<wchar_t>(unit);
        const unsigned k = CaseBlindClass(u);
        if (k == 1) {
            EXPECT_TRUE(PlatformEqual({L'a', u, L'b'}, L"ab")) << Hex(std::wstring(1, u));
        } else if (k >= 2) {
            const wchar_t rep = first.emplace(k, u).first->second;
            EXPECT_TRUE(PlatformEqual({u}, {rep}) && PlatformEqual({L'q', u, 0x00E1}, {L'q', rep, 0x00E1}))
                << Hex({u, rep});
        }
    }
    ASSERT_GT(first.size(), 1000u);
    std::vector<wchar_t> reps;
    for (const auto& entry : first)
        reps.push_back(entry.second);
    std::sort(reps.begin(), reps.end(), [](wchar_t a, wchar_t b) {
        return CompareStringW(GetThreadLocale(), NORM_IGNORECASE, &a, 1, &b, 1) == CSTR_LESS_THAN;
    });
    for (size_t i = 1; i < reps.size(); ++i)
        EXPECT_FALSE(PlatformEqual({reps[i - 1]}, {reps[i]})) << Hex({reps[i - 1], reps[i]});
}

// Pieces of text: letters in both cases, some whose case forms differ in
// length or fold specially, ligatures and expansions, combining marks, units
// the comparison ignores, controls, punctuation with its own weights, paired
// and lone surrogates, and scripts whose weights depend on the neighbours.
const wchar_t* const kPieces[] = {
    L"a",
    L"A",
    L"b",
    L"B",
    L"e",
    L"E",
    L"i",
    L"I",
    L"s",
    L"S",
    L"k",
    L"K",
    L"o",
    L"O",
    L"1",
    L" ",
    L",",
    L".",
    L"-",
    L"'",
    L"\t",
    L"\r\n",
    L"\x00E9",
    L"\x00C9",
    L"\x00E4",
    L"\x00C4",
    L"\x00F6",
    L"\x00D6",
    L"\x00E5",
    L"\x00C5",
    L"\x212B",
    L"\x00F8",
    L"\x00D8",
    L"\x00F1",
    L"\x00D1",
    L"\x03C3",
    L"\x03C2",
    L"\x03A3",
    L"\x0434",
    L"\x0414",
    L"\x0130",
    L"\x0131",
    L"\x00DF",
    L"\x1E9E",
    L"\x017F",
    L"\x212A",
    L"\x00E6",
    L"\x00C6",
    L"\x0153",
    L"\x0152",
    L"\xFB01",
    L"\xFB02",
    L"\x0133",
    L"\x01C6",
    L"\x01C5",
    L"\x0301",
    L"\x0308",
    L"\x0327",
    L"\x030A",
    L"\x0001",
    L"\x001F",
    L"\x00AD",
    L"\x200C",
    L"\x200D",
    L"\xFEFF",
    L"\x200B",
    L"\xD83D\xDE00",
    L"\xD801\xDC00",
    L"\xD801\xDC28",
    L"\xD800",
    L"\xDFFF",
    L"\xFF41",
    L"\xFF21",
    L"\x4E00",
    L"\x3042",
    L"\x30A2",
    L"\x30FC",
    L"\x309D",
    L"\xAC00",
    L"\x1100",
    L"\x1161",
    L"\x0E40",
    L"\x0E01",
};

// Every position at which each way finds the needle, walking one unit on
// after each find so overlapping finds count too.
std::vector<size_t> FoundBy(bool platform, const std::wstring& text, const std::wstring& needle)
{
    std::vector<size_t> positions;
    const wchar_t* start = text.c_str();
    const wchar_t* end = start + text.size();
    for (const wchar_t* at = start; at <= end;) {
        const wchar_t* found =
            platform ? StrStrIW(at, needle.c_str()) : FindOccurrence(at, end, needle.c_str(), needle.size(), 0);
        if (!found)
            break;
        positions.push_back(found - start);
        at = found + 1;
    }
    return positions;
}

// Random texts and needles, mostly made of plain letters so that needles
// taken from the text also meet near-misses. Returns how many rounds found
// something; stops after a few reported differences.
int CompareRandomRounds(int rounds, std::mt19937& random)
{
    auto below = [&random](size_t bound) { return static_cast<size_t>(random() % bound); };
    const size_t pieceCount = sizeof(kPieces) / sizeof(kPieces[0]);
    int failures = 0, matched = 0;
    for (int round = 0; round < rounds && failures < 10; ++round) {
        std::wstring text;
        const size_t pieces = below(120);
        const size_t plain = 1 + below(pieceCount);
        for (size_t i = 0; i < pieces; ++i)
            text += kPieces[below(2) ? below(plain) : below(pieceCount)];
        std::wstring needle;
        const size_t length = 1 + below(40);
        if (!text.empty() && below(3)) {
            // A stretch of the text, each unit's case flipped at random.
            needle = text.substr(below(text.size()), length);
            for (wchar_t& c : needle) {
                LPWSTR unit = reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c));
                if (below(2))
                    c = static_cast<wchar_t>(
                        reinterpret_cast<UINT_PTR>(below(2) ? CharUpperW(unit) : CharLowerW(unit)));
            }
        } else {
            while (needle.size() < length)
                needle += kPieces[below(pieceCount)];
            needle.resize(length);
        }
        std::vector<size_t> expected = FoundBy(true, text, needle);
        std::vector<size_t> found = FoundBy(false, text, needle);
        matched += !expected.empty();
        if (found != expected) {
            ++failures;
            ADD_FAILURE() << "locale " << GetThreadLocale() << "\ntext " << Hex(text) << "\nneedle " << Hex(needle)
                          << "\nStrStrIW finds " << testing::PrintToString(expected) << ", the search "
                          << testing::PrintToString(found);
        }
    }
    return matched;
}

// In locales with their own case and sort rules, and in ones whose sort joins
// letters, which leave everything to the platform. SCRIVLET_SEARCH_ROUNDS
// sets a longer run.
TEST(FindOccurrence, CaseBlindFindsWhatStrStrIWFinds)
{
    const char* setting = getenv("SCRIVLET_SEARCH_ROUNDS");
    const int rounds = setting && atoi(setting) > 0 ? atoi(setting) : 20000;
    struct Locale {
        LCID id;
        bool fast;
    } locales[] = {{0x0409, true}, {0x041F, true}, {0x0407, true}, {0x0411, true}, {0x040E, false}};
    const LCID original = GetThreadLocale();
    std::mt19937 random(20261208);
    for (const Locale& locale : locales) {
        ASSERT_TRUE(SetThreadLocale(locale.id));
        EXPECT_EQ(CaseBlindClass(L'c') != 0, locale.fast) << "locale " << locale.id;
        const int share = rounds / static_cast<int>(sizeof(locales) / sizeof(locales[0]));
        // Most needles come from the text, so most rounds must find
        // something; otherwise the comparison proves little.
        EXPECT_GT(CompareRandomRounds(share, random), share / 3) << "locale " << locale.id;
    }
    SetThreadLocale(original);
}

// The search with its options: the match or none, and whether it wrapped.
TEST(FindNextMatch, FindsByTheOptionsAndSaysWhenItWrapped)
{
    const std::wstring notes = L"note notes denote note";  // whole words at 0 and 18
    // An up search reads the text a block at a time from the end: this
    // match straddles the first block's start.
    std::wstring longText(70000, L'x');
    longText.replace(70000 - 65536 - 2, 4, L"note");
    const int kNone = -1;
    struct Case {
        std::wstring text;
        DWORD start, end;
        std::wstring find;
        SearchOptions options;  // case, whole word, wrap, up
        int match;
        bool wrapped;
    } cases[] = {
        {notes, 0, 0, L"note", {0, 1, 1, 0}, 0, false},
        {notes, 0, 4, L"note", {0, 1, 1, 0}, 18, false},
        {notes, 0, 4, L"note", {0, 0, 1, 0}, 5, false},
        {notes, 18, 22, L"note", {0, 1, 1, 0}, 0, true},
        {notes, 18, 22, L"note", {0, 1, 0, 0}, kNone, false},
        {notes, 18, 22, L"note", {0, 1, 1, 1}, 0, false},
        {notes, 18, 22, L"note", {0, 0, 1, 1}, 13, false},
        {notes, 0, 4, L"note", {0, 1, 1, 1}, 18, true},
        {notes, 0, 4, L"note", {0, 1, 0, 1}, kNone, false},
        {notes, 22, 22, L"note", {0, 0, 1, 0}, 0, true},
        {L"a note here", 2, 6, L"note", {0, 0, 1, 0}, 2, true},  // the only match, from itself
        {L"a note here", 2, 6, L"note", {0, 0, 1, 1}, 2, true},
        {L"note", 0, 0, L"note", {0, 1, 0, 0}, 0, false},
        {L"note1 note", 0, 0, L"note", {0, 1, 0, 0}, 6, false},
        {L"2note note", 0, 0, L"note", {0, 1, 0, 0}, 6, false},
        {L"_note note", 0, 0, L"note", {0, 1, 0, 0}, 6, false},
        {L"note_ (note)", 0, 0, L"note", {0, 1, 0, 0}, 7, false},
        {L"\xD83D\xDE00note note", 0, 0, L"note", {0, 1, 0, 0}, 7, false},
        {L"note\xD83D\xDE00 x", 0, 0, L"note", {0, 1, 0, 0}, kNone, false},
        {L"\x00E9note note", 0, 0, L"note", {0, 1, 0, 0}, 6, false},
        {L"\x041F\x0420\x0418\x0412\x0415\x0422 \x043F\x0440\x0438",
         0,
         0,
         L"\x043F\x0440\x0438\x0432\x0435\x0442",
         {0, 0, 0, 0},
         0,
         false},
        {L"\x041F\x0420\x0418\x0412\x0415\x0422 \x043F\x0440\x0438",
         0,
         0,
         L"\x043F\x0440\x0438\x0432\x0435\x0442",
         {1, 0, 1, 0},
         kNone,
         false},
        {L"Note note", 0, 0, L"note", {1, 0, 0, 0}, 5, false},
        {L"Note note", 0, 0, L"NOTE", {0, 0, 0, 0}, 0, false},
        {longText, 70000, 70000, L"note", {1, 0, 0, 1}, 70000 - 65536 - 2, false},
        {longText, 70000, 70000, L"note", {0, 1, 0, 1}, kNone, false},
        {L"", 0, 0, L"note", {0, 0, 1, 0}, kNone, false},
    };
    for (const Case& c : cases) {
        SearchHit hit =
            FindNextMatch(c.text.data(), c.text.size(), c.start, c.end, c.find.data(), c.find.size(), c.options);
        const std::string name = Hex(c.text.substr(0, 24)) + "from " + std::to_string(c.start) + "-" +
                                 std::to_string(c.end) + " up " + std::to_string(c.options.Up);
        EXPECT_EQ(hit.Found ? static_cast<int>(hit.Start) : kNone, c.match) << name;
        EXPECT_EQ(hit.Wrapped, c.wrapped) << name;
    }
}

}  // namespace
