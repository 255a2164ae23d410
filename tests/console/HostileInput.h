// Hostile values for the sweeps of the console's inputs, and the console settings file's keys
// with what each kind of hostile value must come to.
//
// Every hostile text belongs to one class, and the class alone decides what a key of a given
// kind makes of it (ExpectedOutcome): a text that is no decimal number (letters, a number
// beyond 64 bits, nothing, binary noise, a very long run of digits) reads as the key's default;
// a negative number or one just beyond 32 bits is a number that an unsigned or enumerated
// property cannot hold, and the reading stops there with the key named.
#pragma once

#include "ConsoleSettingsFile.h"

#include <functional>
#include <string>
#include <vector>

namespace ConsoleTest {

enum THostileClass { hcNotANumber, hcNegative, hcBeyond32Bits };

struct THostileText {
    const char* Name;
    std::string Text;
    THostileClass Class;
};

// The texts put in place of a good value, one of each kind. None holds a line feed (a value of
// a profile file cannot), and none starts or ends with a blank or a quote, so the text read back
// is the text written.
inline const std::vector<THostileText>& HostileTexts() {
    static const std::vector<THostileText> texts = {
        {"garbage", "fast", hcNotANumber},
        {"beyond 32 bits", "4294967296", hcBeyond32Bits},
        {"beyond 64 bits", "99999999999999999999", hcNotANumber},
        {"negative", "-5", hcNegative},
        {"empty", "", hcNotANumber},
        {"binary noise", std::string("\x01\x00\xff\r\xfe\x80 \xc3(\x7f", 10), hcNotANumber},
        {"very long", std::string(100000, '7'), hcNotANumber},
    };
    return texts;
}

enum TKeyKind {
    kkBool,          // ReadBool: any non-zero 32-bit integer is true
    kkNumber,        // an ordinal or unsigned 32-bit value, range-checked before its setter
    kkString,        // the port: any text
    kkClientAddress, // the low 8 bits of a 32-bit integer
    kkServerAddress, // a 32-bit integer; the server refuses what is outside 1..247
};

struct TSettingsKey {
    const char* Section;
    const char* Key;
    std::string Good;    // the value of the good file, unlike every default
    std::string Default; // the value when the key reads as its default
    TKeyKind Kind;
    std::int64_t Min = 0; // kkNumber: the range the reader accepts
    std::int64_t Max = 0;
    // The device port settings set this property again after the file (window level).
    bool SetAgainByDeviceSettings = false;
    // The property as text.
    std::function<std::string(const Sondrel::TConsoleSettingsTargets&)> Get;
};

// Every key in reading order. The good file has BaudRate 15, so CustomBaudRate is read.
inline const std::vector<TSettingsKey>& SettingsKeys() {
    using T = const Sondrel::TConsoleSettingsTargets&;
    const auto number = [](auto value) { return std::to_string(value); };
    static const std::vector<TSettingsKey> keys = {
        {"General", "LogTransactionsToFile", "1", "0", kkBool, 0, 0, false,
         [=](T t) { return number(t.Log.LogTransactionsToFile()); }},
        {"ModbusConnection1", "BaudRate", "15", "8", kkNumber, 0, 15, true,
         [=](T t) { return number(t.Connection.BaudRate()); }},
        {"ModbusConnection1", "CustomBaudRate", "4800", "19200", kkNumber, 0, 4294967295, false,
         [=](T t) { return number(t.Connection.CustomBaudRate()); }},
        {"ModbusConnection1", "ConnectionMode", "1", "0", kkNumber, 0, 1, false,
         [=](T t) { return number(t.Connection.ConnectionMode()); }},
        {"ModbusConnection1", "DataBits", "0", "1", kkNumber, 0, 1, true,
         [=](T t) { return number(t.Connection.DataBits()); }},
        {"ModbusConnection1", "DTREnabled", "0", "1", kkBool, 0, 0, false,
         [=](T t) { return number(t.Connection.DTREnabled()); }},
        {"ModbusConnection1", "EchoQueryBeforeReply", "1", "0", kkBool, 0, 0, false,
         [=](T t) { return number(t.Connection.EchoQueryBeforeReply()); }},
        {"ModbusConnection1", "FlowControl", "2", "0", kkNumber, 0, 3, true,
         [=](T t) { return number(t.Connection.FlowControl()); }},
        {"ModbusConnection1", "MaxRetries", "5", "1", kkNumber, 0, 4294967295, false,
         [=](T t) { return number(t.Connection.MaxRetries()); }},
        {"ModbusConnection1", "Parity", "1", "2", kkNumber, 0, 2, true,
         [=](T t) { return number(t.Connection.Parity()); }},
        {"ModbusConnection1", "Port", "/dev/ttyUSB5", "COM1", kkString, 0, 0, true,
         [=](T t) { return t.Connection.Port(); }},
        {"ModbusConnection1", "ReceiveTimeout", "2345", "1000", kkNumber, 0, 4294967295, false,
         [=](T t) { return number(t.Connection.ReceiveTimeout()); }},
        {"ModbusConnection1", "RefetchDelay", "12", "0", kkNumber, 0, 4294967295, false,
         [=](T t) { return number(t.Connection.RefetchDelay()); }},
        {"ModbusConnection1", "RTSEnabled", "0", "1", kkBool, 0, 0, false,
         [=](T t) { return number(t.Connection.RTSEnabled()); }},
        {"ModbusConnection1", "SendTimeout", "3456", "1000", kkNumber, 0, 4294967295, false,
         [=](T t) { return number(t.Connection.SendTimeout()); }},
        {"ModbusConnection1", "SilentInterval", "9", "4", kkNumber, 0, 4294967295, false,
         [=](T t) { return number(t.Connection.SilentInterval()); }},
        {"ModbusConnection1", "StopBits", "1", "0", kkNumber, 0, 1, true,
         [=](T t) { return number(t.Connection.StopBits()); }},
        {"ModbusConnection1", "ThreadPriority", "2", "3", kkNumber, 0, 6, false,
         [=](T t) { return number(t.Connection.ThreadPriority()); }},
        {"ModbusConnection1", "TransmissionMode", "1", "0", kkNumber, 0, 1, false,
         [=](T t) { return number(t.Connection.TransmissionMode()); }},
        {"ModbusConnection1", "TurnaroundDelay", "77", "100", kkNumber, 0, 4294967295, false,
         [=](T t) { return number(t.Connection.TurnaroundDelay()); }},
        {"ModbusClient1", "ServerAddress", "33", "1", kkClientAddress, 0, 0, true,
         [=](T t) { return number(t.Client.ServerAddress()); }},
        {"ModbusServer1", "Address", "99", "1", kkServerAddress, 0, 0, false,
         [=](T t) { return number(t.Server.Address()); }},
    };
    return keys;
}

// The settings file with every key at its good value, one of them (by index) replaced by
// the given text. CR LF lines, a comment and an unknown key that must survive any write.
inline std::string SettingsFileText(std::size_t replaced, const std::string& text) {
    std::string file = "; console settings\r\n";
    std::string section;
    const auto& keys = SettingsKeys();
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (section != keys[i].Section) {
            section = keys[i].Section;
            file += "[" + section + "]\r\n";
        }
        file += std::string(keys[i].Key) + "=" + (i == replaced ? text : keys[i].Good) + "\r\n";
    }
    file += "Unknown=kept as it is\r\n";
    return file;
}

struct TKeyOutcome {
    bool Refused = false;
    std::string Value; // the property afterwards, when not refused
    std::string Error; // the message, when refused
};

// What a key of the given kind makes of a hostile text. fileName: the file's path as the
// reader's message names it.
inline TKeyOutcome ExpectedOutcome(const TSettingsKey& key, const THostileText& hostile,
                                   const std::string& fileName) {
    const auto refusedByReader = [&] {
        return TKeyOutcome{true, "",
                           fileName + ": the value '" + hostile.Text + "' of " + key.Key +
                               " in section [" + key.Section +
                               "] was refused. Value must be between " + std::to_string(key.Min) +
                               " and " + std::to_string(key.Max)};
    };
    switch (key.Kind) {
    case kkBool:
        return {false, hostile.Class == hcNegative ? "1" : key.Default, ""};
    case kkNumber:
        return hostile.Class == hcNotANumber ? TKeyOutcome{false, key.Default, ""}
                                             : refusedByReader();
    case kkString:
        return {false, hostile.Text, ""};
    case kkClientAddress:
        return {false, hostile.Class == hcNegative ? "251" : key.Default, ""};
    case kkServerAddress:
        if (hostile.Class == hcNegative) {
            return {true, "", "SSS Value must be between 1 and 247"};
        }
        return {false, key.Default, ""};
    }
    return {};
}

} // namespace ConsoleTest
