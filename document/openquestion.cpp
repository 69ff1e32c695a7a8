#include "document/openquestion.h"

#include "document/loadroom.h"
#include "document/textfile.h"
#include "platform/messages.h"

// bench/RESULTS-layout-*.md: the median seconds per MB of the 10 MB runs,
// under Wine on a 2-core machine.
#ifdef _WIN64
const LayoutSpeed kThisBuildsLayoutSpeed = {1.18, 1.13};
#else
const LayoutSpeed kThisBuildsLayoutSpeed = {1.04, 0.98};
#endif

namespace {

const wchar_t kQuestionTitle[] = L"Long Operation Warning - Scrivlet";
const wchar_t kWordWrapQuestion[] =
    L"The file you are attempting to open is larger than 500 kilobytes, and word wrap is currently enabled. "
    L"opening files with word wrap enabled is exponentially slower than when it is disabled. Would you like to "
    L"disable word wrap now?";

}  // namespace

double ExpectedLayoutSeconds(ULONGLONG size, bool wrapOn, const LayoutSpeed& speed)
{
    return static_cast<double>(size) / (1 << 20) * (wrapOn ? speed.wrapOn : speed.wrapOff);
}

OpenQuestion QuestionBeforeOpen(ULONGLONG size, bool wrapOn, const LayoutSpeed& speed)
{
    const bool wrapAsked = wrapOn && size > kLargeFileThreshold;
    if (ExpectedLayoutSeconds(size, wrapOn, speed) > kFewSeconds)
        return wrapAsked ? OpenQuestion::LongLayoutWithWordWrap : OpenQuestion::LongLayout;
    return wrapAsked ? OpenQuestion::WordWrap : OpenQuestion::None;
}

void FormatDuration(double seconds, wchar_t* text)
{
    const unsigned rounded = static_cast<unsigned>(seconds + 0.5);
    if (rounded <= 1)
        wsprintfW(text, L"1 second");
    else if (rounded < 90)
        wsprintfW(text, L"%u seconds", rounded);
    else if (rounded < 90 * 60)
        wsprintfW(text, L"%u minutes", (rounded + 30) / 60);
    else
        wsprintfW(text, L"%u.%u hours", rounded / 3600, rounded % 3600 * 10 / 3600);
}

OpenAnswer AskBeforeOpen(ULONGLONG size, bool wrapOn)
{
    const LayoutSpeed& speed = kThisBuildsLayoutSpeed;
    const OpenQuestion question = QuestionBeforeOpen(size, wrapOn, speed);
    if (question == OpenQuestion::None)
        return OpenAnswer::Open;
    if (question == OpenQuestion::WordWrap)
        return ShowBox(kWordWrapQuestion, kQuestionTitle, MB_ICONWARNING | MB_YESNO) == IDYES
                   ? OpenAnswer::OpenWithWrapOff
                   : OpenAnswer::Open;
    wchar_t sizeText[32], duration[32], unwrapped[32], message[512];
    FormatFileSize(size, sizeText);
    FormatDuration(ExpectedLayoutSeconds(size, wrapOn, speed), duration);
    if (question == OpenQuestion::LongLayout) {
        wsprintfW(message,
                  L"The file is %s. Showing its text takes about %s, and Scrivlet does not respond meanwhile; "
                  L"once begun, it cannot be stopped.\n\nOpen it?",
                  sizeText, duration);
        return ShowBox(message, kQuestionTitle, MB_ICONWARNING | MB_YESNO) == IDYES ? OpenAnswer::Open
                                                                                    : OpenAnswer::DontOpen;
    }
    FormatDuration(ExpectedLayoutSeconds(size, false, speed), unwrapped);
    wsprintfW(message,
              L"The file is %s. Showing its text takes about %s with word wrap on (about %s with it off), and "
              L"Scrivlet does not respond meanwhile; once begun, it cannot be stopped.\n\nTurn word wrap off "
              L"before opening it? Cancel opens nothing.",
              sizeText, duration, unwrapped);
    switch (ShowBox(message, kQuestionTitle, MB_ICONWARNING | MB_YESNOCANCEL)) {
        case IDYES:
            return OpenAnswer::OpenWithWrapOff;
        case IDNO:
            return OpenAnswer::Open;
        default:
            return OpenAnswer::DontOpen;
    }
}
