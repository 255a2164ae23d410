#include "ConsoleSettingsFile.h"

#include "ConsoleFileError.h"
#include "TextToInteger.h"

#include "CorvaneError.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Sondrel {

using namespace Corvane;

namespace {

constexpr const char* kGeneral = "General";
constexpr const char* kConnection = "ModbusConnection1";
constexpr const char* kClient = "ModbusClient1";
constexpr const char* kServer = "ModbusServer1";

constexpr std::int64_t kMaxUInt32 = 4294967295;

// A file value as it may appear in a message: cut short, so that a damaged file cannot fill the
// screen.
std::string Shown(const std::string& text) {
    constexpr std::size_t kMaxShown = 40;
    return text.size() <= kMaxShown ? text : text.substr(0, kMaxShown) + "...";
}

} // namespace

TConsoleSettingsFile::TConsoleSettingsFile(std::filesystem::path path) : FFile(std::move(path)) {}

std::int64_t TConsoleSettingsFile::ReadNumber(const char* section, const char* key,
                                              std::int64_t defaultValue, std::int64_t min,
                                              std::int64_t max) const {
    const std::string text = FFile.ReadString(section, key, "");
    const auto value = TextToInteger(text);
    if (!value) {
        return defaultValue;
    }
    if (*value < min || *value > max) {
        throw EConsoleFileError(FFile.Path(),
                                FormatText("%s: the value '%s' of %s in section [%s] was refused. ",
                                           {FFile.Path().string(), Shown(text), std::string(key),
                                            std::string(section)}) +
                                    FormatText(MessageText(msgValueMustBeBetween), {min, max}));
    }
    return *value;
}

void TConsoleSettingsFile::ReadSettingsFile(const TConsoleSettingsTargets& t) const {
    t.Log.SetLogTransactionsToFile(FFile.ReadBool(kGeneral, "LogTransactionsToFile", false));

    TModbusConnection& c = t.Connection;
    const auto baud = ReadNumber(kConnection, "BaudRate", br19200, br110, brCustom);
    c.SetBaudRate(static_cast<TBaudRate>(baud));
    if (baud == brCustom) {
        c.SetCustomBaudRate(static_cast<std::uint32_t>(
            ReadNumber(kConnection, "CustomBaudRate", 19200, 0, kMaxUInt32)));
    }
    c.SetConnectionMode(static_cast<TConnectionMode>(
        ReadNumber(kConnection, "ConnectionMode", cmClient, cmClient, cmServer)));
    c.SetDataBits(static_cast<TDataBits>(ReadNumber(kConnection, "DataBits", db8, db7, db8)));
    c.SetDTREnabled(FFile.ReadBool(kConnection, "DTREnabled", true));
    c.SetEchoQueryBeforeReply(FFile.ReadBool(kConnection, "EchoQueryBeforeReply", false));
    c.SetFlowControl(static_cast<TFlowControl>(
        ReadNumber(kConnection, "FlowControl", fcNone, fcNone, fcDtrDsr)));
    c.SetFrameTiming(static_cast<TFrameTiming>(
        ReadNumber(kConnection, "FrameTiming", ftClassic, ftClassic, ftStandard)));
    c.SetMaxRetries(
        static_cast<std::uint32_t>(ReadNumber(kConnection, "MaxRetries", 1, 0, kMaxUInt32)));
    c.SetParity(
        static_cast<TParityScheme>(ReadNumber(kConnection, "Parity", psEven, psNone, psEven)));
    c.SetPort(FFile.ReadString(kConnection, "Port", "COM1"));
    c.SetReceiveTimeout(
        static_cast<std::uint32_t>(ReadNumber(kConnection, "ReceiveTimeout", 1000, 0, kMaxUInt32)));
    c.SetRefetchDelay(
        static_cast<std::uint32_t>(ReadNumber(kConnection, "RefetchDelay", 0, 0, kMaxUInt32)));
    c.SetRTSEnabled(FFile.ReadBool(kConnection, "RTSEnabled", true));
    c.SetSendTimeout(
        static_cast<std::uint32_t>(ReadNumber(kConnection, "SendTimeout", 1000, 0, kMaxUInt32)));
    c.SetSilentInterval(
        static_cast<std::uint32_t>(ReadNumber(kConnection, "SilentInterval", 4, 0, kMaxUInt32)));
    c.SetStopBits(static_cast<TStopBits>(ReadNumber(kConnection, "StopBits", sb1, sb1, sb2)));
    c.SetThreadPriority(static_cast<TThreadPriority>(
        ReadNumber(kConnection, "ThreadPriority", tpNormal, tpIdle, tpTimeCritical)));
    c.SetTransmissionMode(static_cast<TTransmissionMode>(
        ReadNumber(kConnection, "TransmissionMode", tmRTU, tmRTU, tmASCII)));
    c.SetTurnaroundDelay(
        static_cast<std::uint32_t>(ReadNumber(kConnection, "TurnaroundDelay", 100, 0, kMaxUInt32)));

    // The client takes the low 8 bits of any number.
    t.Client.SetServerAddress(
        static_cast<std::uint8_t>(FFile.ReadInteger(kClient, "ServerAddress", 1) & 0xFF));

    // The server refuses addresses outside 1..247 with its own range error.
    const std::int32_t address = FFile.ReadInteger(kServer, "Address", 1);
    if (address < 0 || address > 255) {
        throw ECorvaneError(msgValueMustBeBetweenSSS, {std::int64_t{1}, std::int64_t{247}});
    }
    t.Server.SetAddress(static_cast<std::uint8_t>(address));
}

void TConsoleSettingsFile::WriteSettingsFile(const TConsoleSettingsTargets& t) {
    std::vector<TProfileEntry> entries;
    const auto integer = [&entries](const char* section, const char* key, std::int64_t value) {
        entries.push_back({section, key, std::to_string(value)});
    };
    const auto boolean = [&entries](const char* section, const char* key, bool value) {
        entries.push_back({section, key, value ? "1" : "0"});
    };

    boolean(kGeneral, "LogTransactionsToFile", t.Log.LogTransactionsToFile());

    const TModbusConnection& c = t.Connection;
    integer(kConnection, "BaudRate", c.BaudRate());
    if (c.BaudRate() == brCustom) {
        integer(kConnection, "CustomBaudRate", c.CustomBaudRate());
    }
    integer(kConnection, "ConnectionMode", c.ConnectionMode());
    integer(kConnection, "DataBits", c.DataBits());
    boolean(kConnection, "DTREnabled", c.DTREnabled());
    boolean(kConnection, "EchoQueryBeforeReply", c.EchoQueryBeforeReply());
    integer(kConnection, "FlowControl", c.FlowControl());
    integer(kConnection, "FrameTiming", c.FrameTiming());
    integer(kConnection, "MaxRetries", c.MaxRetries());
    integer(kConnection, "Parity", c.Parity());
    entries.push_back({kConnection, "Port", c.Port()});
    integer(kConnection, "ReceiveTimeout", c.ReceiveTimeout());
    integer(kConnection, "RefetchDelay", c.RefetchDelay());
    boolean(kConnection, "RTSEnabled", c.RTSEnabled());
    integer(kConnection, "SendTimeout", c.SendTimeout());
    integer(kConnection, "SilentInterval", c.SilentInterval());
    integer(kConnection, "StopBits", c.StopBits());
    integer(kConnection, "ThreadPriority", c.ThreadPriority());
    integer(kConnection, "TransmissionMode", c.TransmissionMode());
    integer(kConnection, "TurnaroundDelay", c.TurnaroundDelay());

    integer(kClient, "ServerAddress", t.Client.ServerAddress());
    integer(kServer, "Address", t.Server.Address());

    // One replacement of the file: a value that cannot be written leaves every key as it was.
    FFile.WriteStrings(entries);
}

} // namespace Sondrel
