// Hostile values in the settings store: every value replaced in turn by garbage, numbers beyond
// 32 and 64 bits, a negative number, nothing, binary noise and a very long text, read through
// the window's typed settings. A value where a number belongs gives the message naming it, or
// (a negative number) a number the window maps to a control; nothing else is read; reading a
// value that exists never writes the store. Hand-damaged store files are read without harm.
#include "ApplicationSettings.h"
#include "RegistrySettings.h"
#include "SettingsError.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "HostileStoreValues.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Sondrel;

namespace {

// Every value of the store with a good value, unlike its default.
const std::vector<std::pair<QString, QString>>& GoodValues() {
    static const std::vector<std::pair<QString, QString>> values = {{"upgradePort", "4"},
                                                                    {"Verify", "true"},
                                                                    {"HexFile", "/no/such.hex"},
                                                                    {"BaudRate1", "5"},
                                                                    {"DataBits1", "0"},
                                                                    {"StopBits1", "1"},
                                                                    {"Parity1", "2"},
                                                                    {"FlowControl1", "2"},
                                                                    {"SerialPort1", "/dev/ttyUSB9"},
                                                                    {"DeviceAddress1", "17"},
                                                                    {"exportDropDown", "2"},
                                                                    {"commDropDown", "1"},
                                                                    {"firmwareBaudRate", "2"},
                                                                    {"AllData", "2"},
                                                                    {"interval", "7"},
                                                                    {"ShowModbusTab", "T"},
                                                                    {"SerialPort", "/dev/ttyS4"}};
    return values;
}

class HostileStore : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Temp.isValid()); }
    QString File() const { return Temp.filePath(QStringLiteral("Main.conf")); }
    QByteArray Bytes() const {
        QFile file(File());
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
    void StoreAll(const QString& replaced, const QString& text) {
        QFile::remove(File());
        QSettings raw(File(), QSettings::IniFormat);
        for (const auto& [name, value] : GoodValues()) {
            raw.setValue(QStringLiteral("Settings/") + name, name == replaced ? text : value);
        }
    }

    QTemporaryDir Temp;
};

// What the window reads of one value, as text; throws ESettingsError as the reader does.
using TReader = std::function<QString(TApplicationSettings&)>;

struct TNumberValue {
    QString Name;
    TReader Read;
    QString FromNegative; // what -5 comes to
};

QString PortField(TApplicationSettings& s, int TStoredPortSettings::*field) {
    return QString::number(s.DevicePortSettings().*field);
}

const std::vector<TNumberValue>& NumberValues() {
    static const std::vector<TNumberValue> values = {
        {"upgradePort", [](auto& s) { return s.FirmwarePortName(); }, "COM-5"},
        {"BaudRate1", [](auto& s) { return PortField(s, &TStoredPortSettings::BaudRate); }, "-5"},
        {"DataBits1", [](auto& s) { return PortField(s, &TStoredPortSettings::DataBits); }, "-5"},
        {"StopBits1", [](auto& s) { return PortField(s, &TStoredPortSettings::StopBits); }, "-5"},
        {"Parity1", [](auto& s) { return PortField(s, &TStoredPortSettings::Parity); }, "-5"},
        {"FlowControl1", [](auto& s) { return PortField(s, &TStoredPortSettings::FlowControl); },
         "-5"},
        {"DeviceAddress1",
         [](auto& s) { return PortField(s, &TStoredPortSettings::DeviceAddress); }, "-5"},
        {"exportDropDown", [](auto& s) { return QString::number(s.ExportKind()); }, "-5"},
        {"commDropDown", [](auto& s) { return QString::number(s.CommDelay()); }, "3"},
        {"firmwareBaudRate", [](auto& s) { return QString::number(s.FirmwareBaudRate()); },
         "19200"},
        {"AllData", [](auto& s) { return QString::number(s.CountDataChosen()); }, "0"},
        {"interval", [](auto& s) { return QString::number(s.Interval()); }, "-5"},
    };
    return values;
}

} // namespace

TEST_F(HostileStore, ANumberValueThatIsNoIntegerIsNamedInItsMessageAndNothingIsWritten) {
    for (const TNumberValue& value : NumberValues()) {
        for (const SettingsTests::THostile& hostile : SettingsTests::Hostiles()) {
            SCOPED_TRACE(value.Name.toStdString() + " = " + hostile.Name);
            StoreAll(value.Name, hostile.Text);
            const QByteArray before = Bytes();
            TRegistrySettings registry(File());
            TApplicationSettings settings(registry);
            std::string error;
            QString read;
            try {
                read = value.Read(settings);
            } catch (const ESettingsError& e) {
                error = e.what();
            }
            if (hostile.Negative) {
                EXPECT_EQ(error, "");
                EXPECT_EQ(read, value.FromNegative);
            } else {
                EXPECT_EQ(QString::fromStdString(error),
                          "'" + hostile.Shown + "' is not a valid integer value (setting \"" +
                              value.Name + "\")");
            }
            EXPECT_EQ(Bytes(), before) << "reading changes no byte of the store";
        }
    }
}

TEST_F(HostileStore, TextValuesTakeAnyTextAndTheirTestsFailSafely) {
    for (const SettingsTests::THostile& hostile : SettingsTests::Hostiles()) {
        SCOPED_TRACE(hostile.Name);
        for (const char* name :
             {"Verify", "HexFile", "ShowModbusTab", "SerialPort", "SerialPort1"}) {
            StoreAll(QString::fromLatin1(name), hostile.Text);
            const QByteArray before = Bytes();
            TRegistrySettings registry(File());
            TApplicationSettings settings(registry);
            EXPECT_FALSE(settings.VerifyChecked() && QString::fromLatin1(name) == "Verify");
            EXPECT_EQ(settings.ExistingHexFile(), "");
            EXPECT_FALSE(settings.ShowModbusTab() && QString::fromLatin1(name) == "ShowModbusTab");
            if (QString::fromLatin1(name) == "SerialPort") {
                EXPECT_EQ(settings.SerialPort(), hostile.Text);
            }
            if (QString::fromLatin1(name) == "SerialPort1") {
                EXPECT_EQ(settings.DevicePortSettings().Port, hostile.Text);
            }
            EXPECT_EQ(Bytes(), before);
        }
    }
}

// Store files edited by hand or damaged: values that the store's own format decodes into other
// types, broken quotes, NUL bytes, invalid UTF-8, a megabyte-long value. Each reads as some text
// (a number where one belongs, or the message), and reading alone never rewrites the file.
TEST_F(HostileStore, HandDamagedStoreFilesAreReadAsTextWithoutRewritingThem) {
    const std::vector<std::pair<const char*, QByteArray>> lines = {
        {"typed variant", "interval=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5QRect\\0\\0)"},
        {"broken variant", "interval=@Variant(\\xff\\xff)"},
        {"byte array", "interval=@ByteArray(\\xff\\xfe)"},
        {"rect", "interval=@Rect(1 2 3 4)"},
        {"unterminated quote", "interval=\"12"},
        {"raw NUL", QByteArray("interval=1\0002", 12)},
        {"invalid UTF-8", "interval=\xff\xfe\x80"},
        {"list", "interval=1, 2"},
        {"megabyte", "interval=" + QByteArray(1 << 20, '9')},
    };
    for (const auto& [name, line] : lines) {
        SCOPED_TRACE(name);
        QFile file(File());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[Settings]\nShowModbusTab=T\n" + line + "\n[Other]\nkeep=me\n");
        file.close();
        const QByteArray before = Bytes();
        TRegistrySettings registry(File());
        TApplicationSettings settings(registry);
        try {
            settings.Interval();
        } catch (const ESettingsError& e) {
            EXPECT_NE(std::string(e.what()).find("(setting \"interval\")"), std::string::npos);
            EXPECT_LT(std::string(e.what()).size(), 160u);
        }
        EXPECT_TRUE(settings.ShowModbusTab()) << "the values beside it still read";
        EXPECT_EQ(Bytes(), before);
    }
}
