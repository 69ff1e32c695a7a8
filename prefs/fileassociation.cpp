#include "prefs/fileassociation.h"

#include "platform/messages.h"
#include "platform/paths.h"
#include "prefs/registry.h"

namespace {

struct AssociationStep {
    std::wstring key;
    const wchar_t* valueName;  // null for the key's default value
    std::wstring data;
};

// 0 when written; else keyCode when the key fails, keyCode - 1 when the value does.
int WriteStep(const AssociationStep& step, int keyCode)
{
    RegistryKey key(HKEY_CLASSES_ROOT, step.key.c_str());
    if (!key.get())
        return keyCode;
    // A REG_SZ is passed with its terminator, as RegSetValueExW asks.
    const DWORD size = static_cast<DWORD>((step.data.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(key.get(), step.valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(step.data.c_str()), size) !=
        ERROR_SUCCESS)
        return keyCode - 1;
    return 0;
}

}  // namespace

std::wstring ProgIdFromPath(const wchar_t* programPath)
{
    wchar_t name[kPathCapacity] = {};
    if (FileNameFromPath(programPath, name, kPathCapacity) != 0)
        return L"";
    std::wstring progId = name;
    const size_t dot = progId.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        progId.erase(dot);
    return progId;
}

int SetFileAssociation(const wchar_t* programPath, const wchar_t* extension, int iconIndex)
{
    if (!programPath || !*programPath || !extension || !*extension)
        return -1;
    const std::wstring progId = ProgIdFromPath(programPath);
    // An empty ProgID would write into the root of HKEY_CLASSES_ROOT itself.
    if (progId.empty())
        return -1;
    const std::wstring path = programPath;
    const std::wstring ext = extension;
    // Quoted, so that a program or a document path with spaces stays one
    // argument when the shell starts the command.
    const std::wstring command = L"\"" + path + L"\" \"%1\"";
    const std::wstring icon = path + L"," + std::to_wstring(iconIndex);
    const AssociationStep steps[] = {
        {progId, nullptr, L"Text Document"},        {progId + L"\\shell\\open\\command", nullptr, command},
        {progId + L"\\DefaultIcon", nullptr, icon}, {ext, nullptr, progId},
        {ext + L"\\DefaultIcon\\", nullptr, icon},  {ext + L"\\shell\\open\\command\\", progId.c_str(), command},
    };
    int keyCode = -2;
    for (const AssociationStep& step : steps) {
        if (int code = WriteStep(step, keyCode))
            return code;
        keyCode -= 2;
    }
    return 0;
}

void AssociateTextFiles()
{
    if (ShowBox(L"Associating Scrivlet with .TXT files will remove any existing association, which you will have "
                L"to restore manually if you decide not to use Scrivlet any longer. Are you sure you want to do "
                L"this?",
                L"File association - Scrivlet", MB_ICONWARNING | MB_YESNO) != IDYES)
        return;
    wchar_t program[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    // A cut-off path would name some other file; refuse it rather than write it.
    if (length == 0 || length >= MAX_PATH || SetFileAssociation(program, L".TXT", 1) != 0) {
        ShowErrorMessage(L"Failed to set file association!");
        return;
    }
    ShowBox(
        L"Scrivlet is now associated with .TXT files on your system. You may need to restart in order for the "
        L"icons to change.",
        L"File Association - Scrivlet", MB_OK | MB_ICONINFORMATION);
}
