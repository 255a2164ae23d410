// TRegistrySettings: the user's settings key, "Software\Sondrel\Main\Settings" of the current
// user on Windows (~/.config/Sondrel/Main.conf, group [Settings], elsewhere), kept with the
// registry's rules whatever the store:
// - every value is a string;
// - names are compared without regard to case: a value stored as "Verify" is read and written
//   back under that spelling when asked for as "verify" (the POSIX store is case-sensitive, so
//   the stored spelling is looked up);
// - ReadSetting creates a missing value with its default;
// - every write reaches the store at once.
// Values are read as found: text that is not a string (a list or bytes a hand edit left in the
// file) is turned into text, never trusted to be a number.
//
// Main thread only. Owns its QSettings.
#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace Sondrel {

class TRegistrySettings {
public:
    // The user's own settings store.
    TRegistrySettings();
    // An INI file at the given path (tests, or a settings folder named on the command line).
    explicit TRegistrySettings(const QString& filePath);
    // Any store; the values live in its group "Settings".
    explicit TRegistrySettings(std::unique_ptr<QSettings> store);
    ~TRegistrySettings();

    TRegistrySettings(const TRegistrySettings&) = delete;
    TRegistrySettings& operator=(const TRegistrySettings&) = delete;

    // The value's text; a missing value is written with the default, which is returned.
    QString ReadSetting(const QString& name, const QString& defaultValue);
    // Stores the value; false when the store could not be written.
    bool WriteSetting(const QString& name, const QString& value);
    bool Contains(const QString& name) const;

    // Where the values are kept (a file path, or the registry path on Windows).
    QString Location() const;

private:
    // The stored spelling of name, or name itself when no value matches.
    QString StoredName(const QString& name) const;

    std::unique_ptr<QSettings> FStore;
};

} // namespace Sondrel
