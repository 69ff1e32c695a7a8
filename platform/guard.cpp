#include "platform/guard.h"

#include "platform/messages.h"

void ReportEscapedException(bool userRequest)
{
    // Allocation is the one thing that throws in this program.
    if (userRequest)
        ShowErrorMessage(L"Not enough memory to finish that command!");
}
