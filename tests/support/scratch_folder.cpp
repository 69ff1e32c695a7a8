#include "tests/support/scratch_folder.h"

#include <windows.h>

#include <stdexcept>

namespace {

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = folder + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder()
{
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t name[64];
    // Process ids come round again, and a test program that crashed left its
    // folder behind: only a folder made here is fresh.
    do {
        wsprintfW(name, L"scrivlet-test-%lu-%d", GetCurrentProcessId(), ++counter);
        path_ = std::wstring(temp) + name;
    } while (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    // GetTempPath may answer in short form; the program shows long names.
    wchar_t longForm[MAX_PATH];
    if (GetLongPathNameW(path_.c_str(), longForm, MAX_PATH))
        path_ = longForm;
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(path_);
}

std::wstring ScratchFolder::Write(const std::wstring& name, const std::string& bytes) const
{
    std::wstring file = Path(name);
    WriteBytes(file, bytes);
    return file;
}

std::vector<std::wstring> ScratchFolder::Names() const
{
    return NamesIn(path_);
}

std::vector<std::wstring> NamesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::string ReadBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open file for reading");
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    if (!bytes.empty())
        ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

void WriteBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot create file");
    DWORD put = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(file);
    if (put != bytes.size())
        throw std::runtime_error("short write");
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
