// What the built scrivlet.exe carries: version block, manifest, icons, and
// imports from system DLLs only.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

// The program as built and as the download holds it, stripped.
std::wstring ProgramPath(const wchar_t* relative)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + relative;
}

#pragma pack(push, 2)
struct IconDirectoryEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconDirectory {
    WORD reserved, type, count;
    IconDirectoryEntry entries[1];
};
#pragma pack(pop)

class ProgramResources : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExW(ProgramPath(GetParam()).c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
        ASSERT_NE(module_, nullptr) << "not found beside the tests";
    }
    void TearDown() override { FreeLibrary(module_); }

    std::string Resource(const wchar_t* type, int id)
    {
        HRSRC found = FindResourceW(module_, MAKEINTRESOURCEW(id), type);
        if (!found)
            return "";
        const char* data = static_cast<const char*>(LockResource(LoadResource(module_, found)));
        return std::string(data, SizeofResource(module_, found));
    }

    // (width, colour bits) of each image in an icon group.
    std::vector<std::pair<int, int>> IconImages(int id)
    {
        std::string group = Resource(RT_GROUP_ICON, id);
        std::vector<std::pair<int, int>> images;
        if (group.size() < 6)
            return images;
        const IconDirectory* directory = reinterpret_cast<const IconDirectory*>(group.data());
        for (int i = 0; i < directory->count; ++i)
            images.emplace_back(directory->entries[i].width, directory->entries[i].bitCount);
        std::sort(images.begin(), images.end());
        return images;
    }

    HMODULE module_ = nullptr;
};

TEST_P(ProgramResources, VersionBlockNamesTheProductAndItsVersion)
{
    std::wstring path = ProgramPath(GetParam());
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000002u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00020000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000002u);
    wchar_t* description = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\FileDescription",
                               reinterpret_cast<void**>(&description), &length));
    EXPECT_STREQ(description, L"Scrivlet Text editor for Windows 5.0+");
}

TEST_P(ProgramResources, ManifestAsksForCommonControlsSix)
{
    std::string manifest = Resource(RT_MANIFEST, 1);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\""), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
}

TEST_P(ProgramResources, IconsHaveTheirSizesInTwoHundredFiftySixColours)
{
    std::vector<std::pair<int, int>> appAndDocument = {{16, 8}, {32, 8}};
    EXPECT_EQ(IconImages(IDI_APPLICATION_ICON), appAndDocument);
    EXPECT_EQ(IconImages(IDI_DOCUMENT_ICON), appAndDocument);
    // 12 at 96 dpi and its scaled sizes for 120, 144 and 192 dpi.
    std::vector<std::pair<int, int>> status = {{12, 8}, {15, 8}, {18, 8}, {24, 8}};
    EXPECT_EQ(IconImages(IDI_SAVED_ICON), status);
    EXPECT_EQ(IconImages(IDI_UNSAVED_ICON), status);
}

TEST_P(ProgramResources, ImportsComeOnlyFromSystemDlls)
{
    // A runtime left out of the static link (libwinpthread, libstdc++, libgcc)
    // would show up here, and the program would not start on a user's machine.
    // The dialogs', printing's and OpenGL's DLLs are mapped on first use, so
    // that start-up does not wait for them: they are not among these.
    BYTE* base = reinterpret_cast<BYTE*>(module_);
    IMAGE_NT_HEADERS* headers =
        reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(imports.VirtualAddress, 0u);
    const std::vector<std::string> system = {"advapi32.dll", "comctl32.dll", "gdi32.dll",  "kernel32.dll",
                                             "msvcrt.dll",   "shell32.dll",  "user32.dll", "shlwapi.dll"};
    int count = 0;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry, ++count) {
        std::string name = reinterpret_cast<const char*>(base + entry->Name);
        std::transform(name.begin(), name.end(), name.begin(), [](char c) { return static_cast<char>(tolower(c)); });
        EXPECT_NE(std::find(system.begin(), system.end(), name), system.end()) << name << " is not a system DLL";
    }
    EXPECT_GT(count, 3);
}

TEST_P(ProgramResources, TheProgramMayUseAddressesAboveTwoGigabytes)
{
    BYTE* base = reinterpret_cast<BYTE*>(module_);
    IMAGE_NT_HEADERS* headers =
        reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    EXPECT_TRUE(headers->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
}

INSTANTIATE_TEST_SUITE_P(Program, ProgramResources, ::testing::Values(L"scrivlet.exe", L"release\\scrivlet.exe"),
                         [](const ::testing::TestParamInfo<const wchar_t*>& info) {
                             return info.index == 0 ? "AsBuilt" : "Stripped";
                         });

}  // namespace
