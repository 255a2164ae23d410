#include "PortSettings.h"

#include "TextToInteger.h"

#include "CorvaneError.h"

#include <cstdint>

namespace Sondrel {

using namespace Corvane;

TBaudRate BaudRateFromIndex(int index) {
    switch (index) {
    case 0:
        return br2400;
    case 1:
        return br4800;
    case 3:
        return br14400;
    case 4:
        return br19200;
    case 5:
        return br38400;
    case 6:
        return br57600;
    case 7:
        return br115200;
    default:
        return br9600;
    }
}

TDataBits DataBitsFromIndex(int index) {
    return index == 0 ? db7 : db8;
}

TStopBits StopBitsFromIndex(int index) {
    return index == 1 ? sb2 : sb1;
}

TParityScheme ParityFromIndex(int index) {
    switch (index) {
    case 1:
        return psOdd;
    case 2:
        return psEven;
    default:
        return psNone;
    }
}

TFlowControl FlowControlFromIndex(int index) {
    switch (index) {
    case 1:
        return fcRtsToggle;
    case 2:
        return fcRtsCts;
    case 3:
        return fcDtrDsr;
    default:
        return fcNone;
    }
}

namespace {

// The address text as the message shows it: a control character (a pasted NUL would also cut
// the message short) becomes '?'.
std::string Shown(std::string_view text) {
    std::string shown(text);
    for (char& c : shown) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = '?';
        }
    }
    return shown;
}

} // namespace

void ApplyPortSettings(TModbusClient& client, TModbusConnection& connection,
                       std::string_view addressText, const std::string& port,
                       const TPortSettingIndexes& indexes) {
    // Converted as a 32-bit integer, as the stored address is at start: a text that the next
    // start would refuse is refused now too.
    const auto address = TextToInteger(addressText);
    if (!address || *address < INT32_MIN || *address > INT32_MAX) {
        throw ECorvaneError(msgNotAValidInteger, {Shown(addressText)});
    }
    client.SetServerAddress(static_cast<std::uint8_t>(*address & 0xFF));
    connection.SetPort(port);
    connection.SetBaudRate(BaudRateFromIndex(indexes.BaudRate));
    connection.SetDataBits(DataBitsFromIndex(indexes.DataBits));
    connection.SetStopBits(StopBitsFromIndex(indexes.StopBits));
    connection.SetParity(ParityFromIndex(indexes.Parity));
    connection.SetFlowControl(FlowControlFromIndex(indexes.FlowControl));
}

} // namespace Sondrel
