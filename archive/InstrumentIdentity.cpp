#include "InstrumentIdentity.h"

#include <algorithm>
#include <cstdio>

namespace Sondrel {

namespace {

std::string Hex(std::vector<std::uint8_t>::const_iterator first,
                std::vector<std::uint8_t>::const_iterator last) {
    std::string text;
    char pair[3];
    for (auto it = first; it != last; ++it) {
        std::snprintf(pair, sizeof pair, "%02x", *it);
        text += pair;
    }
    return text;
}

bool Printable(std::vector<std::uint8_t>::const_iterator first,
               std::vector<std::uint8_t>::const_iterator last) {
    return first != last &&
           std::all_of(first, last, [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; });
}

} // namespace

std::string DefaultInstrumentName(const std::string& port, std::int32_t address) {
    return "address " + std::to_string(address) + " on " + port;
}

TInstrumentDescription DescribeInstrument(const std::optional<std::vector<std::uint8_t>>& reply,
                                          const std::string& operatorName, const std::string& port,
                                          std::int32_t address) {
    TInstrumentDescription d;
    d.Port = port;
    d.Address = address;
    d.Name = operatorName;
    if (!reply || reply->empty()) {
        d.Identity = "name " + operatorName;
        return d;
    }
    const std::vector<std::uint8_t>& data = *reply;
    d.ServerId = Hex(data.begin(), data.end());
    auto rest = data.begin() + 1;
    if (data.size() >= 2 && (data[1] == 0x00 || data[1] == 0xFF)) {
        ++rest; // the run indicator
    }
    const bool text = Printable(rest, data.end());
    d.Identity = "server id " + Hex(data.begin(), data.begin() + 1);
    if (rest != data.end()) {
        const std::string further = text ? std::string(rest, data.end()) : Hex(rest, data.end());
        d.Identity += " " + further;
        if (text && operatorName.empty()) {
            d.Name = further;
        }
    }
    if (d.Name.empty()) {
        d.Name = d.Identity;
    }
    return d;
}

std::string DescribeLine(const Corvane::TModbusConnection& connection, std::int32_t address) {
    const std::uint32_t baud = connection.BaudRate() == Corvane::brCustom
                                   ? connection.CustomBaudRate()
                                   : Corvane::BaudRateValue(connection.BaudRate());
    const char parity = connection.Parity() == Corvane::psOdd    ? 'O'
                        : connection.Parity() == Corvane::psEven ? 'E'
                                                                 : 'N';
    return connection.Port() + ", " + std::to_string(baud) + " bit/s " +
           (connection.DataBits() == Corvane::db7 ? "7" : "8") + parity +
           (connection.StopBits() == Corvane::sb2 ? "2" : "1") + ", " +
           (connection.TransmissionMode() == Corvane::tmASCII ? "ASCII" : "RTU") + ", address " +
           std::to_string(address);
}

TInstrumentDescription IdentifyInstrument(Corvane::TModbusClient& client,
                                          const Corvane::TModbusConnection& connection,
                                          const std::string& operatorName,
                                          const std::function<void(std::int32_t)>& wait) {
    const std::int32_t address = client.ServerAddress();
    const auto timeout = static_cast<std::int32_t>(std::min<std::uint64_t>(
        60000, std::uint64_t{connection.MaxRetries() + 1} * connection.ReceiveTimeout() + 250));
    const auto reply = ReportServerId(client, wait, timeout);
    const std::string name = operatorName.empty() && !reply
                                 ? DefaultInstrumentName(connection.Port(), address)
                                 : operatorName;
    return DescribeInstrument(reply, name, connection.Port(), address);
}

std::optional<std::vector<std::uint8_t>>
ReportServerId(Corvane::TModbusClient& client, const std::function<void(std::int32_t)>& wait,
               std::int32_t timeoutMs) {
    bool done = false;
    std::optional<std::vector<std::uint8_t>> answer;
    std::int32_t asked = -1;
    // The client's handler stays in place (the console logs the exchange); ours runs after it.
    const auto previous = client.OnServerIdentificationReport;
    client.OnServerIdentificationReport =
        [&](Corvane::TModbusClient& sender, const Corvane::TTransactionInfo& info,
            std::int32_t count, const Corvane::TServerIdentificationData& data) {
            if (previous) {
                previous(sender, info, count, data);
            }
            if (info.ID != asked) {
                return; // a stale reply of an earlier request
            }
            done = true;
            if (info.Status == Corvane::rsNormalResponse) {
                answer = data;
            }
        };
    try {
        asked = client.ReportServerID(0);
        for (std::int32_t waited = 0; !done && waited < timeoutMs; waited += 10) {
            wait(10);
        }
    } catch (const std::exception&) {
        answer.reset(); // no connection: nothing to ask
    }
    client.OnServerIdentificationReport = previous;
    return answer;
}

std::string InstrumentLogLine(const TInstrumentDescription& instrument) {
    return "Instrument: " + (instrument.ServerId.empty()
                                 ? instrument.Name + " (it reports no server id)"
                                 : instrument.Identity);
}

} // namespace Sondrel
