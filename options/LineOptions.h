// The serial line options shared by every sondrel-cli command and by sondrel-sim (same
// names, values and defaults), and their application to a connection. Pure functions, except
// ApplyLineOptions, which sets the connection's properties and so runs where the connection
// is used (the main thread).
#pragma once

#include "CommandLine.h"
#include "CorvaneError.h"

#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <set>
#include <string>

namespace SondrelOptions {

struct TLineOptions {
    std::string Port;
    std::uint32_t Baud = 9600;
    Corvane::TDataBits DataBits = Corvane::db8;
    Corvane::TParityScheme Parity = Corvane::psNone;
    Corvane::TStopBits StopBits = Corvane::sb1;
    Corvane::TFlowControl Flow = Corvane::fcNone;
    Corvane::TTransmissionMode Mode = Corvane::tmRTU;
    Corvane::TFrameTiming Timing = Corvane::ftClassic;
    std::uint8_t Address = 1;
    std::uint32_t TimeoutMs = 1000;
    std::uint32_t Retries = 3;
};

// The names of the line options (all take a value).
const std::set<std::string>& LineOptionNames();
// The help text of the line options.
const char* LineOptionsHelp();

// The subset that describes the serial line alone (port, speed, character format, flow
// control, framing mode and frame timing), shared with programs that are not clients, and its
// help text.
const std::set<std::string>& SerialLineOptionNames();
const char* SerialLineOptionsHelp();

// Reads the line options; a bad value is a usage error. --port is required unless
// portRequired is false.
TLineOptions ParseLineOptions(const TCommandLine& line, bool portRequired = true);

// Sets port, speed, format, flow control, mode, frame timing, timeout and attempts on the
// connection.
void ApplyLineOptions(const TLineOptions& options, Corvane::TModbusConnection& connection);

// What a program prints when the line cannot be used: the error's message and, when that is
// the library's bare text, the operating system's reason in parentheses ("Could not open
// serial port (No such file or directory)"). A message that already explains itself (a port
// the user may not open, a line failure with its reason) is printed as it is.
std::string LineFailureText(const Corvane::ECorvaneError& error);

} // namespace SondrelOptions
