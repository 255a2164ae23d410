// The registry-style settings store and the main window's typed settings.
#include "ApplicationSettings.h"
#include "RegistrySettings.h"
#include "SettingsError.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Sondrel;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Temp.isValid()); }

    QString File() const { return Temp.filePath(QStringLiteral("Main.conf")); }

    // What another reader of the store sees: name -> value in the Settings group.
    QMap<QString, QString> Stored() const {
        QSettings raw(File(), QSettings::IniFormat);
        raw.beginGroup(QStringLiteral("Settings"));
        QMap<QString, QString> values;
        for (const auto& key : raw.childKeys()) {
            values[key] = raw.value(key).toString();
        }
        return values;
    }

    void Store(const QString& name, const QString& value) {
        QSettings raw(File(), QSettings::IniFormat);
        raw.setValue(QStringLiteral("Settings/") + name, value);
    }

    // The text of the ESettingsError that f raises, or "" when none.
    template <typename F>
    std::string ErrorOf(F&& f) {
        try {
            f();
        } catch (const ESettingsError& e) {
            return e.what();
        }
        return std::string();
    }

    QTemporaryDir Temp;
};

} // namespace

TEST_F(Settings, ReadCreatesAMissingValueWithItsDefaultAndKeepsAnExistingOne) {
    TRegistrySettings registry(File());
    EXPECT_EQ(registry.ReadSetting(QStringLiteral("interval"), QStringLiteral("1")), "1");
    EXPECT_EQ(Stored().value(QStringLiteral("interval")), "1");
    EXPECT_TRUE(registry.WriteSetting(QStringLiteral("interval"), QStringLiteral("5")));
    EXPECT_EQ(registry.ReadSetting(QStringLiteral("interval"), QStringLiteral("1")), "5");
}

TEST_F(Settings, WritesReachTheStoreAtOnce) {
    TRegistrySettings registry(File());
    registry.WriteSetting(QStringLiteral("SerialPort"), QStringLiteral("COM7"));
    // Read by a separate store object while the first is still alive.
    EXPECT_EQ(Stored().value(QStringLiteral("SerialPort")), "COM7");
}

TEST_F(Settings, NamesAreOneValueWhateverTheirCase) {
    TRegistrySettings registry(File());
    TApplicationSettings settings(registry);
    EXPECT_FALSE(settings.VerifyChecked()); // creates "Verify" = "1"
    settings.SetVerifyChecked(true);        // written as "verify"
    EXPECT_TRUE(settings.VerifyChecked());
    const auto stored = Stored();
    int verifyValues = 0;
    for (auto it = stored.begin(); it != stored.end(); ++it) {
        verifyValues += it.key().compare(QStringLiteral("verify"), Qt::CaseInsensitive) == 0;
    }
    EXPECT_EQ(verifyValues, 1);
    EXPECT_EQ(stored.value(QStringLiteral("Verify")), "true");
    EXPECT_TRUE(registry.Contains(QStringLiteral("VERIFY")));
}

TEST_F(Settings, FirstStartCreatesEveryValueWithItsDefault) {
    TRegistrySettings registry(File());
    TApplicationSettings settings(registry);
    EXPECT_EQ(settings.FirmwarePortName(), "COM1");
    EXPECT_FALSE(settings.VerifyChecked());
    EXPECT_EQ(settings.ExistingHexFile(), "");
    EXPECT_EQ(settings.DevicePortSettings(), TStoredPortSettings{});
    EXPECT_EQ(settings.ExportKind(), 1); // XLSX
    EXPECT_EQ(settings.CommDelay(), cdSlow);
    EXPECT_EQ(settings.FirmwareBaudRate(), 19200);
    EXPECT_FALSE(settings.CountDataChosen());
    EXPECT_EQ(settings.Interval(), 1);
    EXPECT_FALSE(settings.ShowModbusTab());
    EXPECT_EQ(settings.SerialPort(), "COM1");

    const QMap<QString, QString> expected = {
        {"upgradePort", "1"},      {"Verify", "1"},         {"HexFile", "1"},
        {"BaudRate1", "2"},        {"DataBits1", "1"},      {"StopBits1", "0"},
        {"Parity1", "0"},          {"FlowControl1", "0"},   {"SerialPort1", "COM1"},
        {"DeviceAddress1", "1"},   {"exportDropDown", "1"}, {"commDropDown", "3"},
        {"firmwareBaudRate", "1"}, {"AllData", "1"},        {"interval", "1"},
        {"ShowModbusTab", "F"},    {"SerialPort", "COM1"}};
    EXPECT_EQ(Stored(), expected);
}

TEST_F(Settings, StoredChoicesComeBackAsTheWindowShowsThem) {
    TRegistrySettings registry(File());
    TApplicationSettings settings(registry);
    Store(QStringLiteral("commDropDown"), QStringLiteral("7"));
    Store(QStringLiteral("firmwareBaudRate"), QStringLiteral("0"));
    EXPECT_EQ(settings.CommDelay(), cdSlow);
    EXPECT_EQ(settings.FirmwareBaudRate(), 19200);

    settings.SetCommDelay(cdFast);
    settings.SetFirmwareBaudRate(38400);
    settings.SetCountDataChosen(true);
    settings.SetShowModbusTab(true);
    settings.SetExportKind(2);
    settings.SetIntervalText(QStringLiteral("12"));
    EXPECT_EQ(settings.CommDelay(), cdFast);
    EXPECT_EQ(settings.FirmwareBaudRate(), 38400);
    EXPECT_TRUE(settings.CountDataChosen());
    EXPECT_TRUE(settings.ShowModbusTab());
    EXPECT_EQ(settings.ExportKind(), 2);
    EXPECT_EQ(settings.Interval(), 12);
    const auto stored = Stored();
    EXPECT_EQ(stored.value("commDropDown"), "1");
    settings.SetCommDelay(cdLine);
    EXPECT_EQ(Stored().value("commDropDown"), "4") << "Line Speed is the fourth entry";
    EXPECT_EQ(settings.CommDelay(), cdLine);
    settings.SetCommDelay(cdFast);
    EXPECT_EQ(stored.value("firmwareBaudRate"), "2");
    EXPECT_EQ(stored.value("AllData"), "2");
    EXPECT_EQ(stored.value("ShowModbusTab"), "T");

    TStoredPortSettings port{6, 1, 0, 2, 1, QStringLiteral("/dev/ttyUSB0"), 17};
    settings.SetDevicePortSettings(port);
    EXPECT_EQ(settings.DevicePortSettings(), port);
}

TEST_F(Settings, FirmwarePortIsStoredAsItsNumberOrAsADevicePath) {
    TRegistrySettings registry(File());
    TApplicationSettings settings(registry);
    settings.SetFirmwarePortName(QStringLiteral("COM4"));
    EXPECT_EQ(Stored().value("upgradePort"), "4");
    EXPECT_EQ(settings.FirmwarePortName(), "COM4");
    settings.SetFirmwarePortName(QStringLiteral("/dev/ttyACM0"));
    EXPECT_EQ(Stored().value("upgradePort"), "/dev/ttyACM0");
    EXPECT_EQ(settings.FirmwarePortName(), "/dev/ttyACM0");
}

TEST_F(Settings, HexFileIsShownOnlyWhileItExists) {
    TRegistrySettings registry(File());
    TApplicationSettings settings(registry);
    const QString hex = Temp.filePath(QStringLiteral("a.hex"));
    EXPECT_FALSE(settings.StoreHexFile(hex)); // no such file yet: not stored
    QFile(hex).open(QIODevice::WriteOnly);
    EXPECT_TRUE(settings.StoreHexFile(hex));
    EXPECT_EQ(settings.ExistingHexFile(), hex);
    QFile::remove(hex);
    EXPECT_EQ(settings.ExistingHexFile(), "");
    EXPECT_EQ(Stored().value("HexFile"), hex); // the value itself is left as it was
    EXPECT_FALSE(settings.StoreHexFile(Temp.path()));
}

TEST_F(Settings, ValuesThatAreNotNumbersGiveAClearError) {
    TRegistrySettings registry(File());
    TApplicationSettings settings(registry);
    for (const QString& bad : {QStringLiteral("abc"), QStringLiteral(""), QStringLiteral("12abc"),
                               QStringLiteral("99999999999"), QStringLiteral("0x10"),
                               QStringLiteral("1 2"), QStringLiteral("1.5")}) {
        Store(QStringLiteral("interval"), bad);
        EXPECT_EQ(ErrorOf([&] { settings.Interval(); }),
                  "'" + bad.toStdString() + "' is not a valid integer value (setting \"interval\")")
            << bad.toStdString();
    }
    Store(QStringLiteral("interval"), QStringLiteral("-3"));
    EXPECT_EQ(settings.Interval(), -3);
    Store(QStringLiteral("interval"), QStringLiteral(" 42 "));
    EXPECT_EQ(settings.Interval(), 42);
}

TEST_F(Settings, BinaryNoiseInAValueIsShownSafelyAndShort) {
    TRegistrySettings registry(File());
    TApplicationSettings settings(registry);
    registry.WriteSetting(QStringLiteral("exportDropDown"),
                          QStringLiteral("\x01\x02\x7f") + QString(100, QLatin1Char('z')));
    const std::string error = ErrorOf([&] { settings.ExportKind(); });
    EXPECT_EQ(error.rfind("'???zzz", 0), 0u) << error;
    EXPECT_NE(error.find("...' is not a valid integer value (setting \"exportDropDown\")"),
              std::string::npos)
        << error;
    EXPECT_LT(error.size(), 120u);
}

TEST_F(Settings, AGarbledDevicePortValueStillLeavesAllSevenCreated) {
    Store(QStringLiteral("BaudRate1"), QStringLiteral("fast"));
    TRegistrySettings registry(File());
    TApplicationSettings settings(registry);
    EXPECT_NE(ErrorOf([&] { settings.DevicePortSettings(); }).find("\"BaudRate1\""),
              std::string::npos);
    for (const char* name :
         {"DataBits1", "StopBits1", "Parity1", "FlowControl1", "SerialPort1", "DeviceAddress1"}) {
        EXPECT_TRUE(registry.Contains(QString::fromLatin1(name))) << name;
    }
}

TEST_F(Settings, HandEditedListValueReadsAsItsText) {
    QFile file(File());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Settings]\nSerialPort=COM1, COM2\n");
    file.close();
    TRegistrySettings registry(File());
    EXPECT_EQ(registry.ReadSetting(QStringLiteral("SerialPort"), QStringLiteral("COM1")),
              "COM1, COM2");
}

TEST_F(Settings, DamagedStoreFileGivesDefaultsWithoutHarm) {
    QFile file(File());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray noise;
    for (int i = 0; i < 4096; ++i) {
        noise += static_cast<char>((i * 7919) & 0xFF);
    }
    file.write(noise);
    file.close();
    TRegistrySettings registry(File());
    TApplicationSettings settings(registry);
    EXPECT_EQ(settings.SerialPort(), "COM1");
    EXPECT_FALSE(settings.ShowModbusTab());
}

// The values an engineer or a later command adds are read without being created, so that a
// first start leaves the store as it always has.
TEST_F(Settings, AddedValuesAreReadWithoutBeingCreated) {
    TRegistrySettings registry(File());
    TApplicationSettings settings(registry);
    EXPECT_FALSE(settings.ShowAdvanced());
    EXPECT_EQ(settings.LogFontSize(), 7);
    EXPECT_TRUE(settings.ExportFolder().isEmpty());
    EXPECT_TRUE(Stored().isEmpty());

    Store("ShowAdvanced", "T");
    Store("LogFontSize", "12");
    Store("exportFolder", Temp.path());
    EXPECT_TRUE(settings.ShowAdvanced());
    EXPECT_EQ(settings.LogFontSize(), 12);
    EXPECT_EQ(settings.ExportFolder(), Temp.path());

    // A folder that is gone, a size outside its range: as if nothing were stored.
    Store("exportFolder", Temp.filePath("gone"));
    EXPECT_TRUE(settings.ExportFolder().isEmpty());
    for (const char* size : {"5", "25", "twelve", "12.5", "-9"}) {
        Store("LogFontSize", size);
        EXPECT_EQ(settings.LogFontSize(), 7) << size;
    }
    settings.SetLogFontSize(9);
    EXPECT_EQ(Stored().value("LogFontSize"), "9");
}
