#include "tools/textsearch.h"

#include <shlwapi.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <vector>

// StrStrIW compares the find text with the text at every position through
// CompareStringW with NORM_IGNORECASE, which weighs strings as the locale
// sorts them. Where each unit of both strings carries exactly one primary
// weight with its diacritic and case weights, or only a punctuation weight
// that records how many primary weights precede it, two strings of the same
// length compare equal exactly when their units are pairwise equal. Such
// units get a class number, read from the platform's own sort keys, and the
// search compares class numbers. Units that carry no weight at all never let
// such strings be equal. Everything else (expansions such as the sharp s and
// ligatures, combining marks, surrogates, units whose weights depend on their
// neighbours) goes to the platform's comparison for every position it touches.

namespace {

// A short run of sort-key bytes, kept on the stack: the table build makes
// some 200 000 of them.
class Bytes {
public:
    Bytes() = default;
    Bytes(std::initializer_list<unsigned char> bytes)
    {
        for (unsigned char b : bytes)
            Add(b);
    }
    void Add(unsigned char b) { Insert(size_, b); }
    void Insert(size_t at, unsigned char b)
    {
        if (size_ == sizeof(bytes_) || at > size_) {
            full_ = true;
            return;
        }
        memmove(bytes_ + at + 1, bytes_ + at, size_ - at);
        bytes_[at] = b;
        ++size_;
    }
    Bytes& operator+=(const Bytes& more)
    {
        for (size_t i = 0; i < more.size_; ++i)
            Add(more.bytes_[i]);
        full_ = full_ || more.full_;
        return *this;
    }
    size_t size() const { return size_; }
    unsigned char operator[](size_t at) const { return bytes_[at]; }
    // A run that did not fit equals nothing.
    bool operator==(const Bytes& other) const
    {
        return !full_ && !other.full_ && size_ == other.size_ && memcmp(bytes_, other.bytes_, size_) == 0;
    }

private:
    unsigned char bytes_[96];
    size_t size_ = 0;
    bool full_ = false;
};

const uint16_t kUnsafe = 0;
const uint16_t kIgnored = 1;
const uint16_t kFirstClass = 2;
const unsigned char kSeparator = 0x01;
const unsigned char kLowestWeight = 0x02;

// What the search must stop at as a unit comes along: the units of the find
// text's first class, and the units left to the platform.
const unsigned char kPass = 0;
const unsigned char kStopFirst = 1;
const unsigned char kStopUnsafe = 2;

struct ClassTable {
    bool built;
    bool usable;
    LCID locale;
    uint16_t classOf[65536];
    uint16_t stopsFirstClass;  // whose stops are below; kUnsafe for none yet
    unsigned char stops[65536];
};

ClassTable Table;

Bytes SortKey(LCID locale, const wchar_t* units, int count)
{
    unsigned char buffer[128];
    int length = LCMapStringW(locale, LCMAP_SORTKEY | NORM_IGNORECASE, units, count, reinterpret_cast<wchar_t*>(buffer),
                              sizeof(buffer));
    Bytes key;
    for (int i = 0; i < length; ++i)
        key.Add(buffer[i]);
    return key;
}

// The three leading weight levels of a key; the unit classes below only ever
// carry these and the punctuation weights that follow them.
struct Levels {
    Bytes primary, diacritic, caseWeights;
};

// A key of plain letters: primary 01 diacritic 01 case 01 01 00, every
// weight above the separator.
bool SplitPlainKey(const Bytes& key, Levels* levels)
{
    Bytes* parts[] = {&levels->primary, &levels->diacritic, &levels->caseWeights};
    size_t at = 0;
    for (Bytes* part : parts) {
        *part = Bytes();
        while (at < key.size() && key[at] != kSeparator) {
            if (key[at] < kLowestWeight)
                return false;
            part->Add(key[at++]);
        }
        if (at++ >= key.size())
            return false;
    }
    return key.size() == at + 2 && key[at] == kSeparator && key[at + 1] == 0;
}

Bytes Compose(const Levels& levels, const Bytes& punctuation)
{
    Bytes key = levels.primary;
    key.Add(kSeparator);
    key += levels.diacritic;
    key.Add(kSeparator);
    key += levels.caseWeights;
    key.Add(kSeparator);
    key.Add(kSeparator);
    key += punctuation;
    key.Add(0);
    return key;
}

// What follows (and, in the second probe, precedes) every unit while it is
// classified. After it the unit's own diacritic and case weights are written
// out instead of dropped as trailing defaults: an a with a diacritic, then a
// full-width a, whose width weight outlives NORM_IGNORECASE.
const wchar_t kAfter[] = {0x00E1, 0xFF41};
const wchar_t kBefore = L'b';

struct Context {
    LCID locale;
    Levels after;         // kAfter alone
    Levels beforeAfter;   // kBefore then kAfter
    size_t beforeLength;  // kBefore's primary weights
};

// The unit's signature in one surrounding: 1 for no weight at all, a
// letter's primary, diacritic and case weight (above 2^24), or a punctuation
// weight (2^16 and up); 0 for anything else.
uint32_t Signature(const Context& context, wchar_t unit, bool withBefore)
{
    wchar_t units[4];
    int count = 0;
    if (withBefore)
        units[count++] = kBefore;
    units[count++] = unit;
    units[count++] = kAfter[0];
    units[count++] = kAfter[1];
    Bytes key = SortKey(context.locale, units, count);
    const Levels& around = withBefore ? context.beforeAfter : context.after;
    const size_t before = withBefore ? context.beforeLength : 0;
    const size_t lowerBefore = withBefore ? 1 : 0;

    if (key == Compose(around, Bytes()))
        return 1;
    // Either kind adds four bytes to the key of the surrounding.
    if (key.size() != Compose(around, Bytes()).size() + 4)
        return 0;

    // A letter: its two primary weights after those before it, its
    // diacritic and case weights after the defaults of kBefore.
    const size_t diacriticStart = around.primary.size() + 2 + 1;
    const size_t caseStart = diacriticStart + around.diacritic.size() + 1 + 1;
    unsigned char script = key[before], primary = key[before + 1];
    unsigned char diacritic = key[diacriticStart + lowerBefore], caseWeight = key[caseStart + lowerBefore];
    Levels letter = around;
    letter.primary.Insert(before, primary);
    letter.primary.Insert(before, script);
    letter.diacritic.Insert(lowerBefore, diacritic);
    letter.caseWeights.Insert(lowerBefore, caseWeight);
    if (key == Compose(letter, Bytes()) && script >= kLowestWeight && diacritic >= kLowestWeight &&
        caseWeight >= kLowestWeight)
        return static_cast<uint32_t>(script) << 24 | primary << 16 | diacritic << 8 | caseWeight;

    // Punctuation: a weight of its own after the levels, tagged with the
    // number of primary weights before it (0 or 1, as -1 or -2).
    unsigned char weight = key[key.size() - 3], flags = key[key.size() - 2];
    Bytes special = {0xFF, static_cast<unsigned char>(withBefore ? 0xFE : 0xFF), weight, flags};
    if (key == Compose(around, special))
        return 0x10000u | weight << 8 | flags;
    return 0;
}

// Some languages sort two letters as one (ch, ll, dz, aa, ...): that makes a
// unit's weights depend on the next one, so such a locale keeps the platform
// for every comparison.
bool JoinsLetters(LCID locale, const std::vector<uint32_t>& signatures)
{
    for (wchar_t first = L'A'; first <= L'z'; ++first) {
        for (wchar_t second = L'A'; second <= 0x017F; ++second) {
            uint32_t a = signatures[first], b = signatures[second];
            if (a >> 24 == 0 || b >> 24 == 0)
                continue;
            wchar_t pair[] = {first, second};
            Bytes key = SortKey(locale, pair, 2);
            const unsigned char expected[] = {static_cast<unsigned char>(a >> 24), static_cast<unsigned char>(a >> 16),
                                              static_cast<unsigned char>(b >> 24), static_cast<unsigned char>(b >> 16),
                                              kSeparator};
            for (size_t i = 0; i < sizeof(expected); ++i)
                if (key.size() <= i || key[i] != expected[i])
                    return true;
        }
    }
    return false;
}

bool BuildClasses(LCID locale, uint16_t* classOf)
{
    Context context;
    context.locale = locale;
    wchar_t beforeAfter[] = {kBefore, kAfter[0], kAfter[1]};
    Levels before;
    if (!SplitPlainKey(SortKey(locale, kAfter, 2), &context.after) ||
        !SplitPlainKey(SortKey(locale, beforeAfter, 3), &context.beforeAfter) ||
        !SplitPlainKey(SortKey(locale, &kBefore, 1), &before) || before.primary.size() != 2 ||
        before.diacritic.size() != 0 || before.caseWeights.size() != 0)
        return false;
    context.beforeLength = before.primary.size();

    std::vector<uint32_t> signatures(65536, 0);
    for (unsigned unit = 0; unit < 65536; ++unit) {
        wchar_t u = static_cast<wchar_t>(unit);
        // Surrogates form characters only in pairs; the Thai and Lao blocks
        // hold vowels that some sorts move in front of the letter before them.
        if ((unit >= 0xD800 && unit <= 0xDFFF) || (unit >= 0x0E00 && unit <= 0x0EFF))
            continue;
        uint32_t alone = Signature(context, u, false);
        if (alone == Signature(context, u, true))
            signatures[unit] = alone;
    }
    if (JoinsLetters(locale, signatures))
        return false;

    std::vector<uint32_t> distinct;
    for (uint32_t signature : signatures)
        if (signature > 1)
            distinct.push_back(signature);
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    if (distinct.size() + kFirstClass > 0xFFFF)
        return false;
    for (unsigned unit = 0; unit < 65536; ++unit) {
        uint32_t signature = signatures[unit];
        if (signature <= 1) {
            classOf[unit] = signature == 1 ? kIgnored : kUnsafe;
            continue;
        }
        size_t index = std::lower_bound(distinct.begin(), distinct.end(), signature) - distinct.begin();
        classOf[unit] = static_cast<uint16_t>(kFirstClass + index);
    }
    return true;
}

// The classes for the calling thread's locale, built on first use (about
// 130 000 sort keys, a few hundredths of a second); null where the platform
// must compare everything.
const uint16_t* CurrentClasses()
{
    LCID locale = GetThreadLocale();
    if (!Table.built || Table.locale != locale) {
        Table.usable = BuildClasses(locale, Table.classOf);
        Table.stopsFirstClass = kUnsafe;
        Table.locale = locale;
        Table.built = true;
    }
    return Table.usable ? Table.classOf : nullptr;
}

// The platform's own way, one comparison per position.
const wchar_t* FindByPlatform(const wchar_t* text, const wchar_t* end, const wchar_t* find, int findLength)
{
    for (const wchar_t* at = text; findLength <= end - at; ++at) {
        if (StrCmpNIW(at, find, findLength) == 0)
            return at;
    }
    return nullptr;
}

// The stops for a find text that begins with a unit of firstClass, kept
// for the next search: F3 and the up search's blocks ask again and again.
const unsigned char* StopsFor(const uint16_t* classOf, uint16_t firstClass)
{
    if (Table.stopsFirstClass != firstClass) {
        for (unsigned unit = 0; unit < 65536; ++unit)
            Table.stops[unit] = classOf[unit] == firstClass ? kStopFirst
                                : classOf[unit] == kUnsafe  ? kStopUnsafe
                                                            : kPass;
        Table.stopsFirstClass = firstClass;
    }
    return Table.stops;
}

// find holds only classified units. Every position whose window holds a
// unit the classes leave to the platform is compared by the platform; the
// others match when their classes do. The text is read one byte-table look
// per unit, stopping only at units of find's first class and unsafe units:
// a run of text with neither holds no match.
const wchar_t* FindByClasses(const uint16_t* classOf, const wchar_t* text, const wchar_t* end, const wchar_t* find,
                             int findLength)
{
    const wchar_t* const last = end - findLength;
    const unsigned char* stops = StopsFor(classOf, classOf[find[0]]);
    // Positions before this one have been compared by the platform.
    const wchar_t* platformNext = text;
    for (const wchar_t* at = text; at < end; ++at) {
        // Most units stop nothing: eight at a time, with one branch.
        while (end - at >= 8 && (stops[at[0]] | stops[at[1]] | stops[at[2]] | stops[at[3]] | stops[at[4]] |
                                 stops[at[5]] | stops[at[6]] | stops[at[7]]) == kPass)
            at += 8;
        if (at == end)
            break;
        const unsigned char stop = stops[*at];
        if (stop == kPass)
            continue;
        if (stop == kStopUnsafe) {
            // Every position whose window holds this unit, up to this one.
            const wchar_t* windowStart = at - text >= findLength ? at - (findLength - 1) : text;
            const wchar_t* through = std::min(at, last);
            for (const wchar_t* start = std::max(platformNext, windowStart); start <= through; ++start) {
                if (StrCmpNIW(start, find, findLength) == 0)
                    return start;
            }
            platformNext = std::max(platformNext, through + 1);
            continue;
        }
        // Past the last start an unsafe unit further on still matters.
        if (at > last || at < platformNext)
            continue;
        // A mismatch at an unsafe unit is settled by the platform when the
        // scan reaches that unit: no position between matches by classes.
        int i = 1;
        while (i < findLength && classOf[at[i]] == classOf[find[i]])
            ++i;
        if (i == findLength)
            return at;
    }
    return nullptr;
}

// wcsstr would run on to the terminator, past the end of a range.
const wchar_t* FindExact(const wchar_t* text, const wchar_t* end, const wchar_t* find, size_t findLength)
{
    const wchar_t* const last = end - findLength;
    for (const wchar_t* at = text; at <= last; ++at) {
        at = wmemchr(at, find[0], static_cast<size_t>(last - at) + 1);
        if (!at)
            return nullptr;
        if (wmemcmp(at + 1, find + 1, findLength - 1) == 0)
            return at;
    }
    return nullptr;
}

bool IsWholeWord(const wchar_t* text, const wchar_t* end, const wchar_t* match, size_t length)
{
    return (match == text || !IsWordUnit(match[-1])) && (match + length == end || !IsWordUnit(match[length]));
}

// The last occurrence in [from, to), found a block at a time from the end:
// searching from the start for every earlier match would read the text
// before the selection once per match.
const wchar_t* FindLastWordOccurrence(const wchar_t* text, const wchar_t* end, const wchar_t* from, const wchar_t* to,
                                      const wchar_t* find, size_t findLength, int caseSensitive, int wholeWord)
{
    const size_t block = std::max<size_t>(size_t(1) << 16, 2 * findLength);
    const wchar_t* high = to;
    while (high > from && static_cast<size_t>(high - from) >= findLength) {
        const wchar_t* low = static_cast<size_t>(high - from) > block ? high - block : from;
        const wchar_t* last = nullptr;
        for (const wchar_t* at = low;
             (at = FindWordOccurrence(text, end, at, high, find, findLength, caseSensitive, wholeWord)) != nullptr;
             ++at)
            last = at;
        if (last || low == from)
            return last;
        // The next block ends where a match starting in it can end.
        high = low + findLength - 1;
    }
    return nullptr;
}

}  // namespace

const wchar_t* FindOccurrence(const wchar_t* text, const wchar_t* end, const wchar_t* find, size_t findLength,
                              int caseSensitive)
{
    if (!text || !find || findLength == 0 || findLength > INT_MAX || text > end ||
        static_cast<size_t>(end - text) < findLength)
        return nullptr;
    if (caseSensitive)
        return FindExact(text, end, find, findLength);
    const int length = static_cast<int>(findLength);
    const uint16_t* classOf = CurrentClasses();
    if (classOf) {
        for (int i = 0; i < length && classOf; ++i)
            if (classOf[find[i]] < kFirstClass)
                classOf = nullptr;
    }
    return classOf ? FindByClasses(classOf, text, end, find, length) : FindByPlatform(text, end, find, length);
}

unsigned CaseBlindClass(wchar_t unit)
{
    const uint16_t* classOf = CurrentClasses();
    return classOf ? classOf[unit] : kUnsafe;
}

bool IsWordUnit(wchar_t unit)
{
    if (IS_HIGH_SURROGATE(unit) || IS_LOW_SURROGATE(unit) || unit == L'_')
        return true;
    WORD type = 0;
    return GetStringTypeW(CT_CTYPE1, &unit, 1, &type) && (type & (C1_ALPHA | C1_DIGIT)) != 0;
}

const wchar_t* FindWordOccurrence(const wchar_t* text, const wchar_t* end, const wchar_t* from, const wchar_t* to,
                                  const wchar_t* find, size_t findLength, int caseSensitive, int wholeWord)
{
    for (const wchar_t* at = from; (at = FindOccurrence(at, to, find, findLength, caseSensitive)) != nullptr; ++at) {
        if (!wholeWord || IsWholeWord(text, end, at, findLength))
            return at;
    }
    return nullptr;
}

SearchHit FindNextMatch(const wchar_t* text, size_t length, size_t selectionStart, size_t selectionEnd,
                        const wchar_t* find, size_t findLength, const SearchOptions& options)
{
    SearchHit hit = {false, false, 0};
    if (!text || !find || findLength == 0 || selectionStart > selectionEnd || selectionEnd > length)
        return hit;
    const wchar_t* const end = text + length;
    const int cs = options.CaseSensitive, word = options.WholeWord;
    const wchar_t* found = nullptr;
    if (!options.Up) {
        found = FindWordOccurrence(text, end, text + selectionEnd, end, find, findLength, cs, word);
        if (!found && options.WrapAround) {
            // From the top, the matches that start before the search began.
            const wchar_t* to = text + std::min(length, selectionEnd + findLength - 1);
            found = FindWordOccurrence(text, end, text, to, find, findLength, cs, word);
            hit.Wrapped = found != nullptr;
        }
    } else {
        found = FindLastWordOccurrence(text, end, text, text + selectionStart, find, findLength, cs, word);
        if (!found && options.WrapAround) {
            // From the bottom, the matches that end after the search began.
            const wchar_t* from = text + (selectionStart + 1 > findLength ? selectionStart + 1 - findLength : 0);
            found = FindLastWordOccurrence(text, end, from, end, find, findLength, cs, word);
            hit.Wrapped = found != nullptr;
        }
    }
    hit.Found = found != nullptr;
    hit.Start = found ? static_cast<size_t>(found - text) : 0;
    return hit;
}
