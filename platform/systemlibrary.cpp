#include "platform/systemlibrary.h"

#include <cwchar>

#include "platform/messages.h"

namespace system_call {
#define DEFINE_SYSTEM_FUNCTION(library, name) decltype(&::name) name = nullptr;
SYSTEM_LIBRARY_FUNCTIONS(DEFINE_SYSTEM_FUNCTION)
#undef DEFINE_SYSTEM_FUNCTION
}  // namespace system_call

namespace {

struct LibraryRecord {
    const wchar_t* fileName;
    const wchar_t* failureText;
};

// In the order of SystemLibrary.
const LibraryRecord kLibraries[] = {
    {L"comdlg32.dll", L"Failed to load the common dialogs!"},
    {L"winspool.drv", L"Failed to load the printing library!"},
    {L"opengl32.dll", L"Failed to load OpenGL!"},
    {L"glu32.dll", L"Failed to load OpenGL!"},
};

HMODULE Mapped[sizeof(kLibraries) / sizeof(kLibraries[0])] = {};
bool Bound[sizeof(kLibraries) / sizeof(kLibraries[0])] = {};

const LibraryRecord& RecordOf(SystemLibrary library)
{
    return kLibraries[static_cast<int>(library)];
}

}  // namespace

HMODULE MapSystemLibrary(SystemLibrary library)
{
    HMODULE& module = Mapped[static_cast<int>(library)];
    if (module)
        return module;
    wchar_t path[MAX_PATH];
    UINT folderLength = GetSystemDirectoryW(path, MAX_PATH);
    const wchar_t* fileName = RecordOf(library).fileName;
    if (folderLength == 0 || folderLength + 1 + wcslen(fileName) >= MAX_PATH)
        return nullptr;
    if (path[folderLength - 1] != L'\\')
        path[folderLength++] = L'\\';
    wcscpy(path + folderLength, fileName);
    // The altered search path makes the library's own imports come from its
    // folder too, not from the program's.
    module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module;
}

const wchar_t* SystemLibraryFailureText(SystemLibrary library)
{
    return RecordOf(library).failureText;
}

bool BindSystemLibrary(SystemLibrary library)
{
    bool& bound = Bound[static_cast<int>(library)];
    if (bound)
        return true;
    bool found = true;
#define BIND_SYSTEM_FUNCTION(owner, name) \
    if (SystemLibrary::owner == library)  \
        found = FindSystemFunction(library, #name, system_call::name) && found;
    SYSTEM_LIBRARY_FUNCTIONS(BIND_SYSTEM_FUNCTION)
#undef BIND_SYSTEM_FUNCTION
    bound = found;
    return bound;
}

bool BindSystemLibraryOrReport(SystemLibrary library)
{
    if (BindSystemLibrary(library))
        return true;
    ShowErrorMessage(SystemLibraryFailureText(library));
    return false;
}
