#include "document/documentstate.h"

#include <cwchar>

DocumentStateRecord DocumentState;

const wchar_t* const kUntitled = L"Untitled";

int IsUntitled(const wchar_t* path)
{
    return wcscmp(path, kUntitled) == 0;
}
