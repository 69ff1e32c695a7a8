// The system DLLs that only some commands need (the common dialogs, printing,
// OpenGL and GLU). Start-up maps none of them; each is mapped from the system
// folder when a command first needs it, and its functions are found by name.
// A DLL of the same name beside the program or in the current folder is never
// loaded: that is where a downloaded file would plant one.
#pragma once
#include <windows.h>
#include <commdlg.h>
#include <winspool.h>

enum class SystemLibrary { CommonDialogs, Printing, OpenGl, Glu };

// The library, mapped by its full path in the system folder on the first call
// that succeeds and kept for the process. Null when it cannot be had (missing,
// or no address space left); a later call tries again.
HMODULE MapSystemLibrary(SystemLibrary library);

// The one short text a command shows when it cannot have library and has no
// message of its own for that failure.
const wchar_t* SystemLibraryFailureText(SystemLibrary library);

// Points function at name in library; false, leaving it null, when either is
// missing. The pointer's type carries the calling convention, so the compiler
// calls it correctly on every architecture.
template <typename Function>
bool FindSystemFunction(SystemLibrary library, const char* name, Function& function)
{
    HMODULE module = MapSystemLibrary(library);
    function = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    return function != nullptr;
}

// The functions of the common dialogs and of printing that the commands call.
#define SYSTEM_LIBRARY_FUNCTIONS(X)    \
    X(CommonDialogs, GetOpenFileNameW) \
    X(CommonDialogs, GetSaveFileNameW) \
    X(CommonDialogs, ChooseColorW)     \
    X(CommonDialogs, ChooseFontW)      \
    X(CommonDialogs, PrintDlgW)        \
    X(CommonDialogs, PageSetupDlgW)    \
    X(CommonDialogs, CommDlgExtendedError)

namespace system_call {
#define DECLARE_SYSTEM_FUNCTION(library, name) extern decltype(&::name) name;
SYSTEM_LIBRARY_FUNCTIONS(DECLARE_SYSTEM_FUNCTION)
#undef DECLARE_SYSTEM_FUNCTION
}  // namespace system_call

// Binds every function of library in system_call once; true when all of them
// are there. Call it on the user-interface thread, before the first call.
bool BindSystemLibrary(SystemLibrary library);

// The same for a command with no message of its own for this failure: it
// shows the library's failure text when the library cannot be had.
bool BindSystemLibraryOrReport(SystemLibrary library);
