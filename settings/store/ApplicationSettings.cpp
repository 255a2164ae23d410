#include "ApplicationSettings.h"

#include "SettingsError.h"

#include <QFileInfo>

#include <limits>

namespace Sondrel {

namespace {

constexpr int MaxShownValueLength = 40;

// The value as it may appear in a message box: control characters shown as '?', cut short.
QString Printable(const QString& text) {
    QString shown;
    for (const QChar c : text) {
        if (shown.size() >= MaxShownValueLength) {
            shown += QStringLiteral("...");
            break;
        }
        shown += (c.isPrint() || c == QLatin1Char(' ')) ? c : QLatin1Char('?');
    }
    return shown;
}

QString Number(int value) {
    return QString::number(value);
}

} // namespace

int TApplicationSettings::ToInteger(const QString& name, const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    // Decimal only, with an optional sign; no spaces inside, no other bases. QString's
    // conversion stops at a NUL and would take "7<NUL>junk" for 7: such a text is no number.
    const qlonglong value = trimmed.toLongLong(&ok, 10);
    if (!ok || trimmed.isEmpty() || trimmed.contains(QChar(u'\0')) ||
        value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
        throw ESettingsError(QStringLiteral("'%1' is not a valid integer value (setting \"%2\")")
                                 .arg(Printable(text), name)
                                 .toStdString());
    }
    return static_cast<int>(value);
}

int TApplicationSettings::ReadInteger(const QString& name, const QString& defaultValue) {
    return ToInteger(name, FRegistry.ReadSetting(name, defaultValue));
}

QString TApplicationSettings::FirmwarePortName() {
    const QString name = QStringLiteral("upgradePort");
    const QString value = FRegistry.ReadSetting(name, QStringLiteral("1"));
    if (value.startsWith(QLatin1Char('/'))) {
        return value;
    }
    return QStringLiteral("COM") + Number(ToInteger(name, value));
}

void TApplicationSettings::SetFirmwarePortName(const QString& portName) {
    const bool comName = portName.startsWith(QStringLiteral("COM"), Qt::CaseInsensitive);
    FRegistry.WriteSetting(QStringLiteral("upgradePort"), comName ? portName.mid(3) : portName);
}

bool TApplicationSettings::VerifyChecked() {
    return FRegistry.ReadSetting(QStringLiteral("Verify"), QStringLiteral("1")) ==
           QStringLiteral("true");
}

void TApplicationSettings::SetVerifyChecked(bool checked) {
    FRegistry.WriteSetting(QStringLiteral("verify"),
                           checked ? QStringLiteral("true") : QStringLiteral("false"));
}

QString TApplicationSettings::HexFile() {
    return FRegistry.ReadSetting(QStringLiteral("HexFile"), QStringLiteral("1"));
}

QString TApplicationSettings::ExistingHexFile() {
    const QString path = HexFile();
    return QFileInfo(path).isFile() ? path : QString();
}

bool TApplicationSettings::StoreHexFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return false;
    }
    return FRegistry.WriteSetting(QStringLiteral("HexFile"), path);
}

TStoredPortSettings TApplicationSettings::DevicePortSettings() {
    const QString baud = FRegistry.ReadSetting(QStringLiteral("BaudRate1"), QStringLiteral("2"));
    const QString dataBits =
        FRegistry.ReadSetting(QStringLiteral("DataBits1"), QStringLiteral("1"));
    const QString stopBits =
        FRegistry.ReadSetting(QStringLiteral("StopBits1"), QStringLiteral("0"));
    const QString parity = FRegistry.ReadSetting(QStringLiteral("Parity1"), QStringLiteral("0"));
    const QString flow = FRegistry.ReadSetting(QStringLiteral("FlowControl1"), QStringLiteral("0"));
    const QString port =
        FRegistry.ReadSetting(QStringLiteral("SerialPort1"), QStringLiteral("COM1"));
    const QString address =
        FRegistry.ReadSetting(QStringLiteral("DeviceAddress1"), QStringLiteral("1"));
    TStoredPortSettings settings;
    settings.BaudRate = ToInteger(QStringLiteral("BaudRate1"), baud);
    settings.DataBits = ToInteger(QStringLiteral("DataBits1"), dataBits);
    settings.StopBits = ToInteger(QStringLiteral("StopBits1"), stopBits);
    settings.Parity = ToInteger(QStringLiteral("Parity1"), parity);
    settings.FlowControl = ToInteger(QStringLiteral("FlowControl1"), flow);
    settings.Port = port;
    settings.DeviceAddress = ToInteger(QStringLiteral("DeviceAddress1"), address);
    return settings;
}

void TApplicationSettings::SetDevicePortSettings(const TStoredPortSettings& settings) {
    FRegistry.WriteSetting(QStringLiteral("BaudRate1"), Number(settings.BaudRate));
    FRegistry.WriteSetting(QStringLiteral("DataBits1"), Number(settings.DataBits));
    FRegistry.WriteSetting(QStringLiteral("StopBits1"), Number(settings.StopBits));
    FRegistry.WriteSetting(QStringLiteral("Parity1"), Number(settings.Parity));
    FRegistry.WriteSetting(QStringLiteral("FlowControl1"), Number(settings.FlowControl));
    FRegistry.WriteSetting(QStringLiteral("SerialPort1"), settings.Port);
    FRegistry.WriteSetting(QStringLiteral("DeviceAddress1"), Number(settings.DeviceAddress));
}

int TApplicationSettings::ExportKind() {
    return ReadInteger(QStringLiteral("exportDropDown"), QStringLiteral("1"));
}

void TApplicationSettings::SetExportKind(int index) {
    FRegistry.WriteSetting(QStringLiteral("exportDropDown"), Number(index));
}

TCommDelay TApplicationSettings::CommDelay() {
    switch (ReadInteger(QStringLiteral("commDropDown"), QStringLiteral("3"))) {
    case 1:
        return cdFast;
    case 2:
        return cdDefault;
    case 4:
        return cdLine;
    default:
        return cdSlow;
    }
}

void TApplicationSettings::SetCommDelay(TCommDelay delay) {
    FRegistry.WriteSetting(QStringLiteral("commDropDown"), Number(delay));
}

int TApplicationSettings::FirmwareBaudRate() {
    return ReadInteger(QStringLiteral("firmwareBaudRate"), QStringLiteral("1")) == 2 ? 38400
                                                                                     : 19200;
}

void TApplicationSettings::SetFirmwareBaudRate(int baud) {
    FRegistry.WriteSetting(QStringLiteral("firmwareBaudRate"),
                           baud == 38400 ? QStringLiteral("2") : QStringLiteral("1"));
}

bool TApplicationSettings::CountDataChosen() {
    return ReadInteger(QStringLiteral("AllData"), QStringLiteral("1")) == 2;
}

void TApplicationSettings::SetCountDataChosen(bool chosen) {
    FRegistry.WriteSetting(QStringLiteral("AllData"),
                           chosen ? QStringLiteral("2") : QStringLiteral("1"));
}

int TApplicationSettings::Interval() {
    return ReadInteger(QStringLiteral("interval"), QStringLiteral("1"));
}

void TApplicationSettings::SetIntervalText(const QString& text) {
    FRegistry.WriteSetting(QStringLiteral("interval"), text);
}

bool TApplicationSettings::ShowModbusTab() {
    return FRegistry.ReadSetting(QStringLiteral("ShowModbusTab"), QStringLiteral("F")) ==
           QStringLiteral("T");
}

void TApplicationSettings::SetShowModbusTab(bool shown) {
    FRegistry.WriteSetting(QStringLiteral("ShowModbusTab"),
                           shown ? QStringLiteral("T") : QStringLiteral("F"));
}

QString TApplicationSettings::SerialPort() {
    return FRegistry.ReadSetting(QStringLiteral("SerialPort"), QStringLiteral("COM1"));
}

void TApplicationSettings::SetSerialPort(const QString& port) {
    FRegistry.WriteSetting(QStringLiteral("SerialPort"), port);
}

QString TApplicationSettings::OptionalSetting(const QString& name) const {
    return FRegistry.Contains(name) ? FRegistry.ReadSetting(name, QString()) : QString();
}

bool TApplicationSettings::ShowAdvanced() const {
    return OptionalSetting(QStringLiteral("ShowAdvanced")) == QStringLiteral("T");
}

int TApplicationSettings::LogFontSize() const {
    const QString text = OptionalSetting(QStringLiteral("LogFontSize"));
    try {
        const int points = ToInteger(QStringLiteral("LogFontSize"), text);
        return points >= MinLogFontSize && points <= MaxLogFontSize ? points : DefaultLogFontSize;
    } catch (const std::exception&) {
        return DefaultLogFontSize;
    }
}

void TApplicationSettings::SetLogFontSize(int points) {
    FRegistry.WriteSetting(QStringLiteral("LogFontSize"), Number(points));
}

int TApplicationSettings::TrafficFrameLimit() const {
    const QString text = OptionalSetting(QStringLiteral("TrafficFrameLimit"));
    try {
        const int frames = ToInteger(QStringLiteral("TrafficFrameLimit"), text);
        return frames >= MinTrafficFrames && frames <= MaxTrafficFrames ? frames
                                                                        : DefaultTrafficFrames;
    } catch (const std::exception&) {
        return DefaultTrafficFrames;
    }
}

void TApplicationSettings::SetTrafficFrameLimit(int frames) {
    FRegistry.WriteSetting(QStringLiteral("TrafficFrameLimit"), Number(frames));
}

QString TApplicationSettings::ExportFolder() const {
    const QString folder = OptionalSetting(QStringLiteral("exportFolder"));
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void TApplicationSettings::SetExportFolder(const QString& folder) {
    FRegistry.WriteSetting(QStringLiteral("exportFolder"), folder);
}

QString TApplicationSettings::ArchiveFile() {
    return OptionalSetting(QStringLiteral("ArchiveFile"));
}

void TApplicationSettings::SetArchiveFile(const QString& location) {
    FRegistry.WriteSetting(QStringLiteral("ArchiveFile"), location);
}

} // namespace Sondrel
