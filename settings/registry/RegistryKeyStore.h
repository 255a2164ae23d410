// TRegistryKeyStore: the user's settings key in the Windows registry, for the parts of the
// program that have no Qt (the window reaches the same key through QSettings, see
// RegistrySettings.h): "Software\Sondrel\Main\Settings" under HKEY_CURRENT_USER, opened (and
// created when missing) once and kept open for every read and write, with the registry's
// rules as the window keeps them:
// - every value is written as a string (REG_SZ);
// - names are compared without regard to case, and a value is written back under the
//   spelling it is stored with ("Verify" stays "Verify" when written as "verify");
// - ReadSetting creates a missing value with its default;
// - every write reaches the registry at once.
// What the key holds is read as hostile, never trusted to be a number: strings up to their
// first NUL (an odd last byte dropped), lists joined by ", ", numbers as decimal text, other
// data as UTF-8 text; a value larger than 1 MiB reads as empty text and is never replaced by
// a read. A key that cannot be opened leaves the store closed: reads give the default, writes
// fail.
//
// Main thread only (one open key). Owns the key handle.
#pragma once

#include <string>

namespace Sondrel {

class TRegistryKeyStore {
public:
    // The key below HKEY_CURRENT_USER.
    static constexpr const char* UserSettingsKey = "Software\\Sondrel\\Main\\Settings";

    explicit TRegistryKeyStore(const std::string& keyPath = UserSettingsKey);
    ~TRegistryKeyStore();
    TRegistryKeyStore(const TRegistryKeyStore&) = delete;
    TRegistryKeyStore& operator=(const TRegistryKeyStore&) = delete;

    bool IsOpen() const { return FKey != nullptr; }

    // The value's text; a missing value is written with the default, which is returned.
    std::string ReadSetting(const std::string& name, const std::string& defaultValue);
    // Stores the value as a string; false when the registry refused it.
    bool WriteSetting(const std::string& name, const std::string& value);
    bool Contains(const std::string& name) const;

    // "HKEY_CURRENT_USER\" and the key's path.
    std::string Location() const;

private:
    // The stored spelling of name, or name itself when no value matches.
    std::wstring StoredName(const std::wstring& name) const;

    void* FKey = nullptr; // HKEY
    std::string FPath;
};

} // namespace Sondrel
