#include "print/pagecodes.h"

const wchar_t kDefaultHeader[] = L"&c&f, page &p";
const wchar_t kDefaultFooter[] = L"";

PageLine ExpandPageCodes(const std::wstring& pattern, const PageValues& values)
{
    PageLine line;
    std::wstring* part = &line.left;
    for (size_t i = 0; i < pattern.size(); ++i) {
        wchar_t code = i + 1 < pattern.size() ? pattern[i + 1] : L'\0';
        if (pattern[i] != L'&' || !code) {
            *part += pattern[i];
            continue;
        }
        ++i;
        switch (code) {
            case L'f':
                *part += values.fileName;
                break;
            case L'p':
                *part += std::to_wstring(values.page);
                break;
            case L'P':
                if (values.pageCount != kPageCountUnknown)
                    *part += std::to_wstring(values.pageCount);
                break;
            case L'd':
                *part += values.date;
                break;
            case L't':
                *part += values.time;
                break;
            case L'l':
                part = &line.left;
                break;
            case L'c':
                part = &line.centre;
                break;
            case L'r':
                part = &line.right;
                break;
            case L'&':
                *part += L'&';
                break;
            default:
                *part += L'&';
                *part += code;
        }
    }
    return line;
}
