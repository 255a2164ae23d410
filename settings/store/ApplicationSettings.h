// TApplicationSettings: the main window's stored choices, by name, with their defaults and
// their string forms, over a TRegistrySettings.
//
// Every reader of the original values creates its value with the default when it is missing
// (the values an engineer or a later command adds, "ShowAdvanced", "LogFontSize" and
// "exportFolder", are read without being created). Readers of numbers raise
// ESettingsError ("'x' is not a valid integer value (setting "name")") for a value that is not
// a decimal 32-bit integer; the window shows it and skips the rest of its start-up sequence,
// so the later settings keep the form's defaults. Numbers are not range-checked here: the
// controls they go to (combo boxes, spin boxes, the port settings) apply their own limits.
//
// The firmware port ("upgradePort") is stored as the number after "COM". A port without that
// form (a device path such as /dev/ttyUSB0 on Linux) is stored as the path itself, and a value
// beginning with "/" is read back as that path.
//
// Main thread only. Borrows the TRegistrySettings, which must outlive it.
#pragma once

#include "RegistrySettings.h"

#include <QString>

#include <cstdint>

namespace Sondrel {

// The line settings of the device port, as index codes (see the device port settings dialog).
struct TStoredPortSettings {
    int BaudRate = 2;
    int DataBits = 1;
    int StopBits = 0;
    int Parity = 0;
    int FlowControl = 0;
    QString Port = QStringLiteral("COM1");
    int DeviceAddress = 1;
    bool operator==(const TStoredPortSettings&) const = default;
};

// The "Date Retrieval Communication Delay" menu's choice as stored ("1".."4"); cdLine is "Line
// Speed", the waits that end with their request's outcome.
enum TCommDelay : std::uint8_t { cdFast = 1, cdDefault = 2, cdSlow = 3, cdLine = 4 };

class TApplicationSettings {
public:
    explicit TApplicationSettings(TRegistrySettings& registry) : FRegistry(registry) {}

    // "upgradePort": the firmware port's name, "COM" + number or a device path.
    QString FirmwarePortName();
    void SetFirmwarePortName(const QString& portName);

    // "Verify": checked exactly when the value is "true". Written as "verify".
    bool VerifyChecked();
    void SetVerifyChecked(bool checked);

    // "HexFile": the stored text, and that text only when it names an existing file.
    QString HexFile();
    QString ExistingHexFile();
    // Stores the path when it names an existing file; true when stored.
    bool StoreHexFile(const QString& path);

    // "BaudRate1", "DataBits1", "StopBits1", "Parity1", "FlowControl1", "SerialPort1",
    // "DeviceAddress1": every value is read (and created) before any is converted.
    TStoredPortSettings DevicePortSettings();
    void SetDevicePortSettings(const TStoredPortSettings& settings);

    // "exportDropDown": 0 CSV, 1 XLSX, 2 HTML.
    int ExportKind();
    void SetExportKind(int index);

    // "commDropDown": 1 fast, 2 default, 4 line speed, anything else slow.
    TCommDelay CommDelay();
    void SetCommDelay(TCommDelay delay);

    // "firmwareBaudRate": 38400 when the value is 2, else 19200.
    int FirmwareBaudRate();
    void SetFirmwareBaudRate(int baud);

    // "AllData": true (count data chosen) when the value is 2.
    bool CountDataChosen();
    void SetCountDataChosen(bool chosen);

    // "interval": the download interval; written as the edit's text.
    int Interval();
    void SetIntervalText(const QString& text);

    // "ShowModbusTab": shown exactly when the value is "T".
    bool ShowModbusTab();
    void SetShowModbusTab(bool shown);

    // "SerialPort": the port of the quick-connect picker and of the port check.
    QString SerialPort();
    void SetSerialPort(const QString& port);

    // "ShowAdvanced": "T" shows every entry and page the window keeps hidden; never written.
    bool ShowAdvanced() const;

    // "LogFontSize": the point size of the log's plain lines (7 as specified); the other
    // sizes scale with it. A value that is not a whole number of MinLogFontSize to
    // MaxLogFontSize points reads as 7.
    static constexpr int DefaultLogFontSize = 7;
    static constexpr int MinLogFontSize = 6;
    static constexpr int MaxLogFontSize = 24;
    int LogFontSize() const;
    void SetLogFontSize(int points);

    // "TrafficFrameLimit": how many frames the Traffic view keeps. A value that is not a whole
    // number of MinTrafficFrames to MaxTrafficFrames reads as DefaultTrafficFrames.
    static constexpr int DefaultTrafficFrames = 100000;
    static constexpr int MinTrafficFrames = 100;
    static constexpr int MaxTrafficFrames = 10000000;
    int TrafficFrameLimit() const;
    void SetTrafficFrameLimit(int frames);

    // "exportFolder": the folder of the last exported file, when it still exists; else empty.
    QString ExportFolder() const;
    void SetExportFolder(const QString& folder);

    // "ArchiveFile": the archive the window keeps its downloads in (a path or "sqlite:PATH");
    // empty for the default. Read without being created, so a first start keeps the values
    // above and no more.
    QString ArchiveFile();
    void SetArchiveFile(const QString& location);

    // The text of a stored number as an int, or ESettingsError naming the setting.
    static int ToInteger(const QString& name, const QString& text);

private:
    int ReadInteger(const QString& name, const QString& defaultValue);
    // The stored text of a value that is not created when missing (empty then).
    QString OptionalSetting(const QString& name) const;

    TRegistrySettings& FRegistry;
};

} // namespace Sondrel
