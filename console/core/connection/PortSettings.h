// ApplyPortSettings: the device port settings (the instrument's address, the port and the
// index-coded line settings of the device port settings dialog and the registry) applied to
// the console's client and connection, and the index codes themselves.
//
// Main thread only (it sets component properties). Borrows the components.
#pragma once

#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <string>
#include <string_view>

namespace Sondrel {

// Index codes of the dialog's lists; an index outside a list maps to the fallback named.
// Baud: 0 br2400, 1 br4800, 2 br9600, 3 br14400, 4 br19200, 5 br38400, 6 br57600,
// 7 br115200, any other br9600.
Corvane::TBaudRate BaudRateFromIndex(int index);
// 0 db7, any other db8.
Corvane::TDataBits DataBitsFromIndex(int index);
// 0 sb1, 1 sb2, any other sb1.
Corvane::TStopBits StopBitsFromIndex(int index);
// 0 psNone, 1 psOdd, 2 psEven, any other psNone.
Corvane::TParityScheme ParityFromIndex(int index);
// 0 fcNone, 1 fcRtsToggle, 2 fcRtsCts, 3 fcDtrDsr, any other fcNone.
Corvane::TFlowControl FlowControlFromIndex(int index);

struct TPortSettingIndexes {
    int BaudRate = 2;
    int DataBits = 1;
    int StopBits = 0;
    int Parity = 0;
    int FlowControl = 0;
};

// One whole choice of the device port settings: the address text, the port and the line.
struct TDevicePortChoice {
    std::string Address = "1";
    std::string Port;
    TPortSettingIndexes Indexes;
};

// In this order: the client's ServerAddress := the low 8 bits of the address text as an
// integer; the connection's Port, BaudRate, DataBits, StopBits, Parity and FlowControl.
// An address text that is not a 32-bit integer raises ECorvaneError ("'%s' is not a valid
// integer value", control characters shown as '?') before anything is applied; a setter's
// error stops at that setter.
void ApplyPortSettings(Corvane::TModbusClient& client, Corvane::TModbusConnection& connection,
                       std::string_view addressText, const std::string& port,
                       const TPortSettingIndexes& indexes);

} // namespace Sondrel
