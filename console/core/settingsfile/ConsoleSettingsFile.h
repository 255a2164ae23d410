// TConsoleSettingsFile: the console settings file ("CorvaneDemo.dat", profile format) with the
// connection, client, server and log-to-file settings of the console.
//
// ReadSettingsFile reads the keys in a fixed order and assigns each value to its target right
// after reading it, through the target's property setter, so that every value is validated by
// its component: a value that the component refuses raises that component's error and the keys
// after it are not read. A key that is missing, or whose text is not a number where a number is
// expected, takes its default. Numbers that no value of the property can hold (an ordinal
// outside its enumeration, a negative time-out) are refused here with EConsoleFileError naming
// the key, before they reach the setter: a setter taking an unsigned or enumerated value would
// otherwise receive something else than the file says.
//
// WriteSettingsFile writes every key from the current values in the same order (CustomBaudRate
// only while the baud rate is custom); keys it does not write stay in the file. All keys are
// written in one replacement of the file: a file that cannot be written raises
// EConsoleFileError, a port name the format cannot hold (a line feed in it) raises
// std::invalid_argument, and either way the file keeps every key it had.
//
// Main thread only (it sets properties of main-thread components). Borrows the targets.
#pragma once

#include "ModbusClient.h"
#include "ModbusConnection.h"
#include "ModbusServer.h"
#include "ProfileFile.h"
#include "TransactionLog.h"

#include <filesystem>

namespace Sondrel {

// What the settings file holds the settings of.
struct TConsoleSettingsTargets {
    Corvane::TModbusConnection& Connection;
    Corvane::TModbusClient& Client;
    Corvane::TModbusServer& Server;
    TTransactionLog& Log; // LogTransactionsToFile
};

class TConsoleSettingsFile {
public:
    static constexpr const char* FileName = "CorvaneDemo.dat";

    explicit TConsoleSettingsFile(std::filesystem::path path);

    const std::filesystem::path& Path() const { return FFile.Path(); }

    void ReadSettingsFile(const TConsoleSettingsTargets& targets) const;
    void WriteSettingsFile(const TConsoleSettingsTargets& targets);

private:
    std::int64_t ReadNumber(const char* section, const char* key, std::int64_t defaultValue,
                            std::int64_t min, std::int64_t max) const;

    TProfileFile FFile;
};

} // namespace Sondrel
