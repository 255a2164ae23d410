// Hostile settings through the real main window: every value of the settings store and every
// key of the console settings file replaced in turn by a hostile value, and hostile item map
// files. For each: the message the window shows (exact), the settings that still apply by the
// rules (a store value that is no number stops the start-up sequence there; a refused file key
// stops the reading there), nothing written that was not asked for, and a window that works:
// its connection opens on a pseudo-terminal and closes again.
#include "HostileInput.h"
#include "WindowFixture.h"
#include "settings/HostileStoreValues.h"

#include "FirmwarePage.h"
#include "LogDataPage.h"
#include "ServerItemEditorForm.h"
#include "ServerItemListModel.h"
#include "ServerItemMapController.h"
#include "ui_FirmwarePage.h"
#include "ui_LogDataPage.h"
#include "ui_ServerItemEditorForm.h"

#include "ServerItemMap.h"

#include "PtyPair.h"

#include <QFile>

#include <functional>
#include <map>
#include <optional>
#include <random>

using namespace ConsoleTest;
using namespace Corvane;

namespace {

class HostileWindow : public WindowFixture {
protected:
    // The window's connection opens on a pseudo-terminal and closes again, with no message.
    void ExpectUsable() {
        auto& window = Window();
        const auto errors = Dialogs.Errors.size();
        EXPECT_EQ(Panel(0), "Modbus connection: Closed");
        TestSupport::PtyPair pty;
        window.ModbusConnection1.SetPort(pty.SlavePath());
        window.Connect1Click();
        EXPECT_TRUE(window.ModbusConnection1.Active());
        EXPECT_EQ(Panel(0).toStdString(), "Modbus connection: Opened [" + pty.SlavePath() + "]");
        window.Disconnect1Click();
        EXPECT_FALSE(window.ModbusConnection1.Active());
        EXPECT_EQ(Dialogs.Errors.size(), errors) << Dialogs.Errors.join("; ").toStdString();
    }

    // Starts a new window in a fresh program folder (the fixture's folder is reused: every file
    // of the previous case is removed first).
    void ClearFolder() {
        Windows.reset();
        EXPECT_TRUE(Dialogs.Unexpected.isEmpty());
        Dialogs.Errors.clear();
        Dialogs.Messages.clear();
        Dialogs.Questions.clear();
        for (const auto& entry : std::filesystem::directory_iterator(FolderPath())) {
            std::filesystem::remove_all(entry.path());
        }
    }
};

// --- Settings store ----------------------------------------------------------------------------

// The window's state that the start-up sequence sets, one text per step of the sequence.
enum TStep {
    stFirmwarePort,
    stDevicePort,
    stExport,
    stDelay,
    stFirmwareBaud,
    stInterval,
    stModbusTab,
    stFirmwareFields
};

std::map<TStep, std::string> Shown(Sondrel::TCorvaneDemoMainForm& window) {
    auto& ui = window.Form();
    auto& logData = window.LogDataPage().Form();
    auto& firmware = window.FirmwarePage().Form();
    const auto& c = window.ModbusConnection1;
    std::map<TStep, std::string> shown;
    shown[stDevicePort] = std::to_string(c.BaudRate()) + "/" + std::to_string(c.DataBits()) + "/" +
                          std::to_string(c.StopBits()) + "/" + std::to_string(c.Parity()) + "/" +
                          std::to_string(c.FlowControl()) + "/" + c.Port() + "/" +
                          std::to_string(window.ModbusClient1.ServerAddress());
    shown[stExport] = std::to_string(logData.exportComboBox->currentIndex());
    shown[stDelay] = ui.fastMenuItem->isChecked()      ? "fast"
                     : ui.defaultMenuItem->isChecked() ? "default"
                     : ui.slowMenuItem->isChecked()    ? "slow"
                                                       : "none";
    shown[stFirmwareBaud] = ui.N38400->isChecked()   ? "38400"
                            : ui.N19200->isChecked() ? "19200"
                                                     : "";
    shown[stInterval] = logData.intervalEdit->text().toStdString();
    shown[stModbusTab] =
        ui.PageControl1->isTabVisible(ui.PageControl1->indexOf(ui.RegisterAccessTabSheet))
            ? "shown"
            : "hidden";
    shown[stFirmwarePort] = firmware.ComComboBox1->currentText().toStdString();
    shown[stFirmwareFields] = std::string(firmware.verifyCheckBox->isChecked() ? "1" : "0") + "/" +
                              firmware.hexEdit->text().toStdString();
    return shown;
}

struct TStoreValue {
    QString Name;
    QString Good;
    // The step whose conversion fails on a value that is no integer; none for text values.
    std::optional<TStep> Converted;
    // The step that shows the value, and what it shows for -5 or (text values) any hostile text.
    TStep ShownAt;
    std::function<std::string(const QString& hostile)> ShownForHostile;
};

class HostileStore : public HostileWindow {
protected:
    void StoreAll(const QString& replaced, const QString& text) {
        HexFile = Folder.filePath(QStringLiteral("firmware.hex"));
        QFile(HexFile).open(QIODevice::WriteOnly);
        for (const TStoreValue& value : Values()) {
            StoreSetting(value.Name, value.Name == replaced ? text : value.Good);
        }
    }

    std::vector<TStoreValue> Values() const {
        const auto same = [](const std::string& text) {
            return [text](const QString&) { return text; };
        };
        const std::string port = "9/0/1/2/2//dev/ttyUSB9/17";
        const std::string verifyAndHex = "1/" + HexFile.toStdString();
        return {
            {"upgradePort", "4", stFirmwarePort, stFirmwarePort, same("/dev/COM-5")},
            {"Verify", "true", std::nullopt, stFirmwareFields, same("0/" + HexFile.toStdString())},
            {"HexFile", HexFile, std::nullopt, stFirmwareFields, same("1/")},
            {"BaudRate1", "5", stDevicePort, stDevicePort, same("6/0/1/2/2//dev/ttyUSB9/17")},
            {"DataBits1", "0", stDevicePort, stDevicePort, same("9/1/1/2/2//dev/ttyUSB9/17")},
            {"StopBits1", "1", stDevicePort, stDevicePort, same("9/0/0/2/2//dev/ttyUSB9/17")},
            {"Parity1", "2", stDevicePort, stDevicePort, same("9/0/1/0/2//dev/ttyUSB9/17")},
            {"FlowControl1", "2", stDevicePort, stDevicePort, same("9/0/1/2/0//dev/ttyUSB9/17")},
            {"SerialPort1", "/dev/ttyUSB9", std::nullopt, stDevicePort,
             [](const QString& hostile) { return "9/0/1/2/2/" + hostile.toStdString() + "/17"; }},
            {"DeviceAddress1", "17", stDevicePort, stDevicePort,
             same("9/0/1/2/2//dev/ttyUSB9/251")},
            {"exportDropDown", "2", stExport, stExport, same("-1")},
            {"commDropDown", "1", stDelay, stDelay, same("slow")},
            {"firmwareBaudRate", "2", stFirmwareBaud, stFirmwareBaud, same("19200")},
            // The layout choice is kept but never shown: only the sequence's stop tells.
            {"AllData", "2", stInterval, stInterval, same("7")},
            {"interval", "7", stInterval, stInterval, same("1")},
            {"ShowModbusTab", "T", std::nullopt, stModbusTab, same("hidden")},
        };
    }

    QString HexFile;
};

TEST_F(HostileStore, EveryValueIsShownAppliedOrStopsTheStartUpWithItsMessage) {
    // The good values, as the window shows them.
    StoreAll(QString(), QString());
    const std::map<TStep, std::string> good = Shown(Start());
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("; ").toStdString();
    ASSERT_EQ(good.at(stDevicePort), "9/0/1/2/2//dev/ttyUSB9/17");

    for (const TStoreValue& value : Values()) {
        for (const SettingsTests::THostile& hostile : SettingsTests::Hostiles()) {
            SCOPED_TRACE(value.Name.toStdString() + " = " + hostile.Name);
            ClearFolder();
            StoreAll(value.Name, hostile.Text);
            const auto before = StoredSettings();
            auto& window = Start();
            const auto shown = Shown(window);

            const bool stops = value.Converted && !hostile.Negative;
            if (stops) {
                EXPECT_EQ(Dialogs.Errors,
                          QStringList("'" + hostile.Shown + "' is not a valid integer value " +
                                      "(setting \"" + value.Name + "\")"));
            } else {
                EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("; ").toStdString();
            }
            for (const auto& [step, text] : shown) {
                // The firmware page's fields are set at the end of the sequence.
                const TStep applied = step == stFirmwarePort ? stFirmwareFields : step;
                if (stops && applied >= *value.Converted) {
                    EXPECT_NE(text, good.at(step)) << "step " << step << " must not be applied";
                } else if (step == value.ShownAt) {
                    EXPECT_EQ(text, value.ShownForHostile(hostile.Text)) << "step " << step;
                } else {
                    EXPECT_EQ(text, good.at(step)) << "step " << step;
                }
            }

            // Only the Modbus Access tab's value is written back, when the sequence reaches it.
            auto expected = before;
            if (value.Name == "ShowModbusTab") {
                expected["ShowModbusTab"] = "F";
            }
            EXPECT_EQ(StoredSettings(), expected);
            ExpectUsable();
        }
    }
}

// --- Settings file
// --------------------------------------------------------------------------------

using HostileSettingsFile = HostileWindow;

TEST_F(HostileSettingsFile, EveryKeyAppliesItsRuleAndTheWindowStartsAndWorks) {
    const auto& keys = SettingsKeys();
    for (std::size_t bad = 0; bad < keys.size(); ++bad) {
        for (const THostileText& hostile : HostileTexts()) {
            SCOPED_TRACE(std::string(keys[bad].Key) + " = " + hostile.Name);
            ClearFolder();
            const std::string bytes = SettingsFileText(bad, hostile.Text);
            WriteProgramFile(Sondrel::TConsoleSettingsFile::FileName, bytes);
            auto& window = Start();
            const Sondrel::TConsoleSettingsTargets targets{
                window.ModbusConnection1, window.ModbusClient1, window.ModbusServer1, window.Log()};

            const TKeyOutcome expected =
                ExpectedOutcome(keys[bad], hostile,
                                (FolderPath() / Sondrel::TConsoleSettingsFile::FileName).string());
            if (expected.Refused) {
                EXPECT_EQ(Dialogs.Errors, QStringList(QString::fromStdString(expected.Error)));
            } else {
                EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("; ").toStdString();
            }
            const bool baudIsCustom = bad != 1 || (!expected.Refused && expected.Value == "15");
            for (std::size_t i = 0; i < keys.size(); ++i) {
                const TSettingsKey& key = keys[i];
                const bool skipped = std::string(key.Key) == "CustomBaudRate" && !baudIsCustom;
                if (key.SetAgainByDeviceSettings) {
                    continue;
                }
                const std::string value = key.Get(targets);
                if (i < bad) {
                    EXPECT_EQ(value, key.Good) << key.Key;
                } else if (i == bad && !expected.Refused) {
                    EXPECT_EQ(value, expected.Value) << key.Key;
                } else if (expected.Refused || skipped) {
                    EXPECT_NE(value, key.Good) << key.Key << " must not be applied";
                } else {
                    EXPECT_EQ(value, key.Good) << key.Key;
                }
            }
            // The menu shows the log flag as read.
            EXPECT_EQ(window.Form().ToolsLogTransactionsToFileItem->isChecked(),
                      window.Log().LogTransactionsToFile());
            ExpectUsable();
            EXPECT_EQ(ReadProgramFile(Sondrel::TConsoleSettingsFile::FileName), bytes)
                << "the window never writes the file unasked";
            EXPECT_FALSE(std::filesystem::exists(Window().ServerItemsPath()));
        }
    }
}

// --- Item map file -----------------------------------------------------------------------------

std::string Record(int address, int kind, int value) {
    const char bytes[10] = {static_cast<char>(address & 0xFF),
                            static_cast<char>(address >> 8),
                            static_cast<char>(kind),
                            static_cast<char>(value & 0xFF),
                            static_cast<char>(value >> 8),
                            0,
                            0,
                            static_cast<char>(0xFF),
                            static_cast<char>(0xFF),
                            1};
    return std::string(bytes, sizeof bytes);
}

class HostileItemMap : public HostileWindow {
protected:
    std::string MapPath() { return Window().ServerItemsPath().string(); }
    // Adds a coil at address 4242, on, through the item editor, as the operator does.
    void AddCoil() {
        Dialogs.DialogAnswers.push_back([](QDialog& dialog) {
            auto& editor = dynamic_cast<Sondrel::TServerItemEditorForm&>(dialog);
            editor.Form().AddressEdit->setText("4242");
            editor.Form().ValueCheckBox->setChecked(true);
            editor.OKButtonClick();
            return dialog.result();
        });
        Window().ItemMap().AddServerItemClick(Sondrel::ikCoil);
    }
};

TEST_F(HostileItemMap, DamagedFilesLoadTheirWholeRecordsAndTheOperatorsSaveKeepsTheRest) {
    std::mt19937 random(11);
    std::string noise(1003, '\0');
    for (char& c : noise) {
        c = static_cast<char>(random() & 0xFF);
    }
    struct TCase {
        const char* Name;
        std::string Bytes;
    };
    const std::vector<TCase> cases = {
        {"empty", ""},
        {"less than a record", std::string(9, '\xff')},
        {"unknown kinds only", Record(1, 4, 1) + Record(2, 255, 2)},
        {"binary noise with a tail", noise},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ClearFolder();
        WriteProgramFile("ServerItems.dat", c.Bytes);
        auto& window = Start();
        EXPECT_TRUE(Dialogs.Errors.isEmpty());
        Sondrel::TServerItemMap expected;
        expected.LoadRecords(c.Bytes);
        EXPECT_EQ(window.ServerItems().Records(), expected.Records());
        EXPECT_EQ(window.ItemMap().Model().rowCount(), static_cast<int>(expected.RowCount()));
        EXPECT_EQ(ReadProgramFile("ServerItems.dat"), c.Bytes) << "loading writes nothing";
        ExpectUsable();

        // The operator's change writes every whole record: the rows and the carried ones.
        AddCoil();
        EXPECT_TRUE(Dialogs.Errors.isEmpty());
        ASSERT_TRUE(window.ServerItems().FindServerItem(4242, Sondrel::ikCoil));
        const std::string saved = ReadProgramFile("ServerItems.dat");
        EXPECT_EQ(saved, window.ServerItems().Records());
        EXPECT_EQ(saved.size(), (c.Bytes.size() / 10 + 1) * 10);
    }
}

TEST_F(HostileItemMap, AFileThatCouldNotBeReadInFullIsNeverReplaced) {
    // One record more than the map takes: the first ones load, the file is left alone.
    std::string bytes;
    bytes.reserve((Sondrel::TServerItemMap::MaxRecords + 1) * 10);
    for (std::size_t i = 0; i <= Sondrel::TServerItemMap::MaxRecords; ++i) {
        bytes += Record(static_cast<int>(i & 0xFFFF), static_cast<int>(i >> 16), 0);
    }
    WriteProgramFile("ServerItems.dat", bytes);
    auto& window = Start();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Dialogs.Errors[0].toStdString(),
              "Cannot read file \"" + MapPath() +
                  "\": the file holds more than 262144 items; only the first ones were loaded");
    EXPECT_EQ(window.ServerItems().RowCount(), Sondrel::TServerItemMap::MaxRecords);
    ExpectUsable();

    AddCoil();
    ASSERT_EQ(Dialogs.Errors.size(), 2);
    EXPECT_EQ(Dialogs.Errors[1].toStdString(),
              "Cannot write file \"" + MapPath() +
                  "\": the file could not be read in full at start, and replacing it would lose "
                  "the items that were not read");
    const auto row = window.ServerItems().FindServerItem(4242, Sondrel::ikCoil);
    ASSERT_TRUE(row);
    EXPECT_EQ(window.ServerItems().Row(*row).Value, 1) << "the map in memory keeps the change";
    EXPECT_EQ(ReadProgramFile("ServerItems.dat"), bytes);
}

TEST_F(HostileItemMap, AFolderInPlaceOfTheFileIsReportedAndLeftAlone) {
    std::filesystem::create_directory(FolderPath() / "ServerItems.dat");
    auto& window = Start();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(
        Dialogs.Errors[0].startsWith("Cannot read file \"" + QString::fromStdString(MapPath())))
        << Dialogs.Errors[0].toStdString();
    EXPECT_EQ(window.ServerItems().RowCount(), 0u);
    ExpectUsable();
    AddCoil();
    EXPECT_EQ(Dialogs.Errors.size(), 2);
    EXPECT_TRUE(std::filesystem::is_directory(FolderPath() / "ServerItems.dat"));
}

} // namespace
