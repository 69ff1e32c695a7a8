// The texts of the header and footer: the user's pattern with its codes
// replaced by the page's values.
#pragma once
#include <string>

// The header that names the file and the page, centred.
extern const wchar_t kDefaultHeader[];
extern const wchar_t kDefaultFooter[];

struct PageValues {
    std::wstring fileName;  // "Untitled" for an untitled document
    std::wstring date;      // in the user's locale formats
    std::wstring time;
    size_t page;       // from 1
    size_t pageCount;  // kPageCountUnknown while the text is being laid out
};

const size_t kPageCountUnknown = 0;

// What goes at the left edge, in the centre and at the right edge.
struct PageLine {
    std::wstring left;
    std::wstring centre;
    std::wstring right;
};

// &f the file name, &p the page, &P the page count (nothing while it is
// unknown), &d the date, &t the
// time; &l, &c and &r send what follows to the left, centre or right; &&
// gives "&". Any other "&" stays as it stands. Text before the first of &l,
// &c and &r goes to the left.
PageLine ExpandPageCodes(const std::wstring& pattern, const PageValues& values);
