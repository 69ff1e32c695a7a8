// A fresh folder for one test's files, removed with everything in it afterwards.
#pragma once
#include <string>
#include <vector>

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring Path(const std::wstring& name) const { return path_ + L"\\" + name; }
    std::wstring Write(const std::wstring& name, const std::string& bytes) const;
    std::vector<std::wstring> Names() const;

private:
    std::wstring path_;
};

// The names of the files and folders in folder.
std::vector<std::wstring> NamesIn(const std::wstring& folder);
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
