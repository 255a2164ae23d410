// The settings key in the registry without Qt: created on first use, values created with
// their defaults, names without regard to case, hostile values read as text.
#include "RegistryKeyStore.h"

#include "win32/WideText.h"
#include "win32/Win32Api.h"

#include <gtest/gtest.h>

#include <string>

using namespace Sondrel;

namespace {

class RegistryKeyStoreTest : public ::testing::Test {
protected:
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, Corvane::WideFromUtf8(Path).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, Corvane::WideFromUtf8(Path).c_str());
    }

    // A value put into the key behind the store's back, as a hand edit would.
    void Put(const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Corvane::WideFromUtf8(Path).c_str(), 0,
                                  nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    DWORD TypeOf(const std::wstring& name) {
        DWORD type = REG_NONE;
        RegGetValueW(HKEY_CURRENT_USER, Corvane::WideFromUtf8(Path).c_str(), name.c_str(),
                     RRF_RT_ANY, &type, nullptr, nullptr);
        return type;
    }

    std::string Path = "Software\\SondrelTests\\Settings" + std::to_string(GetCurrentProcessId());
};

} // namespace

TEST_F(RegistryKeyStoreTest, AMissingValueIsCreatedWithItsDefaultAsAString) {
    TRegistryKeyStore store(Path);
    ASSERT_TRUE(store.IsOpen());
    EXPECT_FALSE(store.Contains("commDropDown"));
    EXPECT_EQ(store.ReadSetting("commDropDown", "3"), "3");
    EXPECT_TRUE(store.Contains("commDropDown"));
    EXPECT_EQ(TypeOf(L"commDropDown"), static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(store.WriteSetting("commDropDown", "1"));
    EXPECT_EQ(store.ReadSetting("commDropDown", "3"), "1");
    // Another store on the same key (the next start of the program) sees it.
    EXPECT_EQ(TRegistryKeyStore(Path).ReadSetting("commDropDown", "3"), "1");
    EXPECT_EQ(store.Location(), "HKEY_CURRENT_USER\\" + Path);
}

TEST_F(RegistryKeyStoreTest, NamesAreComparedWithoutRegardToCaseAndKeepTheirSpelling) {
    TRegistryKeyStore store(Path);
    ASSERT_TRUE(store.WriteSetting("Verify", "true"));
    EXPECT_EQ(store.ReadSetting("verify", "1"), "true");
    EXPECT_TRUE(store.WriteSetting("verify", "false"));
    EXPECT_EQ(store.ReadSetting("VERIFY", "1"), "false");
    wchar_t name[64] = {};
    DWORD chars = 64;
    HKEY key = nullptr;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_CURRENT_USER, Corvane::WideFromUtf8(Path).c_str(), 0, KEY_READ, &key),
        ERROR_SUCCESS);
    EXPECT_EQ(RegEnumValueW(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(name, chars), L"Verify");
    EXPECT_NE(RegEnumValueW(key, 1, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS)
        << "one value, not two spellings";
    RegCloseKey(key);
}

TEST_F(RegistryKeyStoreTest, HostileValuesAreReadAsTextAndNeverBeyondTheirData) {
    const wchar_t unterminated[] = {L'C', L'O', L'M', L'7'};
    Put(L"SerialPort", REG_SZ, unterminated, sizeof unterminated);
    const char odd[] = {'4', 0, '2', 0, 'x'};
    Put(L"interval", REG_SZ, odd, sizeof odd);
    const DWORD number = 2;
    Put(L"AllData", REG_DWORD, &number, sizeof number);
    const wchar_t list[] = L"a\0b\0";
    Put(L"HexFile", REG_MULTI_SZ, list, sizeof list);
    const unsigned char bytes[] = {'T', 0xFF, 'F'};
    Put(L"ShowModbusTab", REG_BINARY, bytes, sizeof bytes);
    const unsigned char shortNumber[] = {1, 2};
    Put(L"exportDropDown", REG_DWORD, shortNumber, sizeof shortNumber);

    TRegistryKeyStore store(Path);
    EXPECT_EQ(store.ReadSetting("SerialPort", "COM1"), "COM7");
    EXPECT_EQ(store.ReadSetting("interval", "1"), "42");
    EXPECT_EQ(store.ReadSetting("AllData", "1"), "2");
    EXPECT_EQ(store.ReadSetting("HexFile", "1"), "a, b");
    EXPECT_EQ(store.ReadSetting("ShowModbusTab", "F"), "T\xef\xbf\xbd"
                                                       "F");
    EXPECT_EQ(store.ReadSetting("exportDropDown", "1"), "\x01\x02");
    // Reading never replaces what was there.
    EXPECT_EQ(TypeOf(L"AllData"), static_cast<DWORD>(REG_DWORD));
}

TEST_F(RegistryKeyStoreTest, TextOutsideAsciiAndNamesWithANulAreHandledSafely) {
    TRegistryKeyStore store(Path);
    EXPECT_TRUE(store.WriteSetting("HexFile", "C:\\Firmware\\f\xc3\xbcr.hex"));
    EXPECT_EQ(store.ReadSetting("HexFile", "1"), "C:\\Firmware\\f\xc3\xbcr.hex");
    const std::string withNul("Hex\0File", 8);
    EXPECT_FALSE(store.WriteSetting(withNul, "x"));
    EXPECT_EQ(store.ReadSetting(withNul, "d"), "d");
    EXPECT_FALSE(store.WriteSetting("HexFile", std::string("a\0b", 3)));
}

TEST(RegistryKeyStoreClosed, AKeyThatCannotBeOpenedGivesDefaultsAndRefusesWrites) {
    TRegistryKeyStore store(std::string("Software\\Bad\0Key", 16));
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(store.ReadSetting("upgradePort", "1"), "1");
    EXPECT_FALSE(store.WriteSetting("upgradePort", "2"));
    EXPECT_FALSE(store.Contains("upgradePort"));
}
