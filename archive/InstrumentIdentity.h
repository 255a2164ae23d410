// Who the instrument on the line is, for the archive: the Report Server ID reply where the
// instrument answers that request, otherwise the name the operator gives it.
//
// The reply's data holds, by the Modbus serial line standard's layout, a server id, a run
// indicator (0x00 off, 0xFF on) and further data chosen by the device. The run indicator
// changes with the instrument's state, so it is left out of the identity: the identity is
// "server id " followed by the first byte in hexadecimal and the further data (as text when it
// is printable ASCII, otherwise in hexadecimal). A reply without a run indicator in its second
// byte is taken whole.
//
// Threads: DescribeInstrument: any. ReportServerId: main thread (the client's).
#pragma once

#include "ArchiveTypes.h"

#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

// The description of the instrument at port and address: by its reply when there is one,
// otherwise by the operator's name for it (which must not be empty then).
TInstrumentDescription DescribeInstrument(const std::optional<std::vector<std::uint8_t>>& reply,
                                          const std::string& operatorName, const std::string& port,
                                          std::int32_t address);

// The operator's name for an instrument that the operator has not named: its address and
// port ("address 1 on /dev/ttyUSB0").
std::string DefaultInstrumentName(const std::string& port, std::int32_t address);

// The line as a download stores it: "/dev/ttyUSB0, 9600 bit/s 8N1, RTU, address 1".
std::string DescribeLine(const Corvane::TModbusConnection& connection, std::int32_t address);

// The instrument that the client reaches over its connection, for the archive: asks Report
// Server ID (waiting up to the connection's attempts times its receive timeout) and describes
// the instrument by the reply, or by operatorName (DefaultInstrumentName when it is empty).
TInstrumentDescription IdentifyInstrument(Corvane::TModbusClient& client,
                                          const Corvane::TModbusConnection& connection,
                                          const std::string& operatorName,
                                          const std::function<void(std::int32_t)>& wait);

// The log line that names the instrument a download is archived for: "Instrument: " and its
// identity, or its name and "(it reports no server id)".
std::string InstrumentLogLine(const TInstrumentDescription& instrument);

// Asks the instrument for its Report Server ID reply (function 17) through the client and
// waits for the answer with wait(ms), at most timeoutMs. Nothing when it answers with an
// exception, does not answer, or no request could be sent.
std::optional<std::vector<std::uint8_t>>
ReportServerId(Corvane::TModbusClient& client, const std::function<void(std::int32_t)>& wait,
               std::int32_t timeoutMs);

} // namespace Sondrel
