// The settings store and its registry primitives, against the real registry.
#include "prefs/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "prefs/registry.h"
#include "tests/support/registry_reset.h"

namespace {

bool OptionsKeyExists()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kOptionsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// What is stored under a name, read past the program's own code.
struct Stored {
    DWORD type = 0;
    std::string bytes;
    bool found = false;
};

Stored ReadStored(const wchar_t* keyPath, const wchar_t* name, HKEY root = HKEY_LOCAL_MACHINE)
{
    Stored stored;
    HKEY key;
    if (RegOpenKeyExW(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return stored;
    BYTE data[256];
    DWORD size = sizeof(data);
    if (RegQueryValueExW(key, name, nullptr, &stored.type, data, &size) == ERROR_SUCCESS) {
        stored.found = true;
        stored.bytes.assign(reinterpret_cast<char*>(data), size);
    }
    RegCloseKey(key);
    return stored;
}

Stored ReadStored(const wchar_t* name)
{
    return ReadStored(kOptionsKey, name);
}

void Store(const wchar_t* name, DWORD type, const std::string& bytes, HKEY root = HKEY_LOCAL_MACHINE)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(root, kOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetScrivletRegistry(); }
    void TearDown() override { ResetScrivletRegistry(); }
};

TEST_F(SettingsTest, FirstReadCreatesTheEmptyKeyAndGivesTheDefault)
{
    ASSERT_FALSE(OptionsKeyExists());
    DWORD value = 77;
    EXPECT_EQ(GetSettingDword(L"WordWrap", &value), 1);
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(OptionsKeyExists());
}

TEST_F(SettingsTest, DwordArgumentsAreChecked)
{
    DWORD value = 77;
    EXPECT_EQ(GetSettingDword(L"", &value), 0);
    EXPECT_EQ(GetSettingDword(nullptr, &value), 0);
    EXPECT_EQ(value, 77u);
    EXPECT_EQ(GetSettingDword(L"WordWrap", nullptr), 0);
    EXPECT_EQ(SetSettingDword(L"", 1), 0);
    EXPECT_EQ(SetSettingDword(nullptr, 1), 0);
}

TEST_F(SettingsTest, DwordRoundTripsAndZeroIsAValue)
{
    ASSERT_EQ(SetSettingDword(L"Opacity", 200), 1);
    DWORD value = 0;
    ASSERT_EQ(GetSettingDword(L"Opacity", &value), 1);
    EXPECT_EQ(value, 200u);

    ASSERT_EQ(SetSettingDword(L"Opacity", 0), 1);
    Stored stored = ReadStored(L"Opacity");
    ASSERT_TRUE(stored.found);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(stored.bytes, std::string(4, '\0'));
}

// Values of another type or size than the program stores: written by hand,
// by another program, or cut short.
struct Hostile {
    DWORD type;
    std::string bytes;
};

TEST_F(SettingsTest, DwordReadTakesOnlyAFourByteRegDword)
{
    const Hostile values[] = {{REG_BINARY, std::string("\x05\x01", 2)},   {REG_BINARY, std::string(8, '\x01')},
                              {REG_BINARY, std::string("\x01\0\0\0", 4)}, {REG_SZ, std::string("1\0\0\0", 4)},
                              {REG_DWORD, std::string("\x01\x01", 2)},    {REG_DWORD, std::string(8, '\x01')}};
    for (const Hostile& stored : values) {
        Store(L"Opacity", stored.type, stored.bytes);
        DWORD value = 99;
        ASSERT_EQ(GetSettingDword(L"Opacity", &value), 1);
        EXPECT_EQ(value, 0u) << "type " << stored.type << ", " << stored.bytes.size() << " bytes";
    }
    Store(L"Opacity", REG_DWORD, std::string("\x05\x01\0\0", 4));
    DWORD value = 0;
    GetSettingDword(L"Opacity", &value);
    EXPECT_EQ(value, 0x105u);
}

TEST_F(SettingsTest, BinaryRoundTripsAsRegBinary)
{
    const BYTE color[4] = {0x10, 0x20, 0x30, 0x00};
    ASSERT_EQ(SetSettingBinary(L"BackColor", color, sizeof(color)), 1);
    Stored stored = ReadStored(L"BackColor");
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stored.bytes, std::string("\x10\x20\x30\x00", 4));

    BYTE back[4] = {};
    ASSERT_EQ(GetSettingBinary(L"BackColor", back, sizeof(back)), 1);
    EXPECT_EQ(memcmp(back, color, 4), 0);
}

TEST_F(SettingsTest, BinaryArgumentsAreCheckedBeforeTheKeyIsOpened)
{
    BYTE buffer[4] = {};
    EXPECT_EQ(SetSettingBinary(L"Font", buffer, 0), 0);
    EXPECT_EQ(GetSettingBinary(L"Font", buffer, 0), 0);
    EXPECT_FALSE(OptionsKeyExists());
    EXPECT_EQ(SetSettingBinary(L"", buffer, 4), 0);
    EXPECT_EQ(SetSettingBinary(L"Font", nullptr, 4), 0);
    EXPECT_EQ(GetSettingBinary(nullptr, buffer, 4), 0);
    EXPECT_EQ(GetSettingBinary(L"Font", nullptr, 4), 0);
}

TEST_F(SettingsTest, BinaryMissingOrTooLargeCountsAsAbsent)
{
    BYTE buffer[4] = {1, 2, 3, 4};
    EXPECT_EQ(GetSettingBinary(L"ForeColor", buffer, sizeof(buffer)), 0);
    Store(L"ForeColor", REG_BINARY, std::string(5, '\x7F'));
    EXPECT_EQ(GetSettingBinary(L"ForeColor", buffer, sizeof(buffer)), 0);
}

TEST_F(SettingsTest, BinaryOfAnotherSizeOrTypeCountsAsAbsentAndLeavesTheBuffer)
{
    const Hostile values[] = {{REG_BINARY, std::string("\xAA\xBB", 2)},
                              {REG_DWORD, std::string("\xAA\xBB\xCC\xDD", 4)},
                              {REG_SZ, std::string("A\0\0\0", 4)},
                              {REG_MULTI_SZ, std::string(4, '\0')}};
    for (const Hostile& stored : values) {
        Store(L"ForeColor", stored.type, stored.bytes);
        BYTE buffer[4] = {1, 2, 3, 4};
        EXPECT_EQ(GetSettingBinary(L"ForeColor", buffer, sizeof(buffer)), 0) << "type " << stored.type;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "\x01\x02\x03\x04") << "type " << stored.type;
    }
}

TEST_F(SettingsTest, WritesAreSeenByTheNextReadAtOnce)
{
    for (DWORD i = 0; i < 3; ++i) {
        ASSERT_EQ(SetSettingDword(L"WordWrap", i), 1);
        DWORD value = 99;
        GetSettingDword(L"WordWrap", &value);
        EXPECT_EQ(value, i);
    }
}

TEST_F(SettingsTest, StringAndDeletePrimitives)
{
    const wchar_t* key = L"Software\\Scrivlet\\Recent";
    ASSERT_EQ(RegistrySetString(HKEY_LOCAL_MACHINE, key, L"a.txt", L"C:\\docs\\a.txt"), 1);
    Stored stored = ReadStored(key, L"a.txt");
    ASSERT_TRUE(stored.found);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_SZ));
    std::wstring expected = L"C:\\docs\\a.txt";
    expected.push_back(L'\0');
    EXPECT_EQ(stored.bytes, std::string(reinterpret_cast<const char*>(expected.data()), expected.size() * 2));

    EXPECT_EQ(RegistryDeleteValue(HKEY_LOCAL_MACHINE, key, L"a.txt"), 1);
    EXPECT_EQ(RegistryDeleteValue(HKEY_LOCAL_MACHINE, key, L"a.txt"), 0);
}

TEST_F(SettingsTest, UnopenableKeyReadsAsAbsentAndRefusesWrites)
{
    DenyScrivletOptionsKey();
    DWORD value = 5;
    EXPECT_EQ(GetSettingDword(L"WordWrap", &value), 1);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(SetSettingDword(L"WordWrap", 1), 0);
    BYTE buffer[4];
    EXPECT_EQ(SetSettingBinary(L"ForeColor", buffer, 4), 0);
    EXPECT_EQ(GetSettingBinary(L"ForeColor", buffer, 4), 0);
}

TEST_F(SettingsTest, AUserWhoMayNotChangeTheMachinesKeyKeepsHisOwnOverTheMachinesDefaults)
{
    const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
    ASSERT_EQ(SetSettingDword(L"WordWrap", 1), 1);
    ASSERT_EQ(SetSettingDword(L"Stayontop", 1), 1);
    ASSERT_EQ(SetSettingBinary(L"ForeColor", &red, sizeof(red)), 1);
    // While the machine's key may be written, a user's key is not looked at.
    Store(L"Stayontop", REG_DWORD, std::string("\0\0\0\0", 4), HKEY_CURRENT_USER);
    DWORD value = 0;
    ASSERT_EQ(SettingsRoot(), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(GetSettingDword(L"Stayontop", &value), 1);
    EXPECT_EQ(value, 1u);

    MakeScrivletMachineKeysReadOnly();
    ASSERT_EQ(SettingsRoot(), HKEY_CURRENT_USER);
    EXPECT_EQ(GetSettingDword(L"WordWrap", &value), 1);
    EXPECT_EQ(value, 1u) << "the machine's default is lost";
    EXPECT_EQ(SetSettingDword(L"WordWrap", 0), 1);
    EXPECT_EQ(SetSettingBinary(L"ForeColor", &blue, sizeof(blue)), 1);
    EXPECT_EQ(GetSettingDword(L"WordWrap", &value), 1);
    EXPECT_EQ(value, 0u) << "the user's own 0 must win over the machine's 1";
    EXPECT_EQ(GetSettingDword(L"Stayontop", &value), 1);
    EXPECT_EQ(value, 0u);
    COLORREF color = 0;
    EXPECT_EQ(GetSettingBinary(L"ForeColor", &color, sizeof(color)), 1);
    EXPECT_EQ(color, blue);
    EXPECT_EQ(ReadStored(kOptionsKey, L"WordWrap").bytes, std::string("\x01\0\0\0", 4)) << "the machine's changed";
    EXPECT_EQ(ReadStored(kOptionsKey, L"WordWrap", HKEY_CURRENT_USER).bytes, std::string("\0\0\0\0", 4));
}

}  // namespace
