#include "LineOptions.h"

#include "SerialLine.h"

#include <map>

namespace SondrelOptions {

using namespace Corvane;

namespace {

template <typename T>
T Choose(const TCommandLine& line, const std::string& name, T fallback,
         const std::map<std::string, T>& choices) {
    const auto text = line.Value(name);
    if (!text) {
        return fallback;
    }
    const auto it = choices.find(*text);
    if (it == choices.end()) {
        std::string names;
        for (const auto& [key, value] : choices) {
            names += (names.empty() ? "" : "|") + key;
        }
        throw EUsageError("--" + name + ": '" + *text + "' is not one of " + names);
    }
    return it->second;
}

} // namespace

const std::set<std::string>& SerialLineOptionNames() {
    static const std::set<std::string> names = {"port",      "baud", "data-bits", "parity",
                                                "stop-bits", "flow", "mode",      "timing"};
    return names;
}

const std::set<std::string>& LineOptionNames() {
    static const std::set<std::string> names = [] {
        std::set<std::string> all = SerialLineOptionNames();
        all.insert({"address", "timeout", "retries"});
        return all;
    }();
    return names;
}

const char* SerialLineOptionsHelp() {
    return "  --port DEVICE          serial device (/dev/ttyUSB0, ttyUSB0, COM1 = /dev/ttyS0)\n"
           "  --baud N               line speed in bit/s (default 9600; any other value is a\n"
           "                         custom speed)\n"
           "  --data-bits 7|8        (default 8)\n"
           "  --parity none|odd|even (default none)\n"
           "  --stop-bits 1|2        (default 1)\n"
           "  --flow none|rts-toggle|rts-cts|dtr-dsr (default none)\n"
           "  --mode rtu|ascii       (default rtu)\n"
           "  --timing classic|standard  RTU frame timing: classic ends a frame after at least\n"
           "                         16 ms of silence; standard after the 3.5 characters of the\n"
           "                         Modbus serial line standard (1.75 ms above 19200 bit/s),\n"
           "                         or as soon as its length is complete (default classic)\n";
}

const char* LineOptionsHelp() {
    static const std::string text =
        std::string("Line options:\n") + SerialLineOptionsHelp() +
        "  --address N            remote server address 0..255, 0 broadcasts (default 1)\n"
        "  --timeout MS           receive timeout in ms (default 1000)\n"
        "  --retries N            sends per request, 1 = no retry (default 3)\n";
    return text.c_str();
}

TLineOptions ParseLineOptions(const TCommandLine& line, bool portRequired) {
    TLineOptions options;
    if (const auto port = line.Value("port")) {
        options.Port = *port;
    } else if (portRequired) {
        throw EUsageError("--port is required");
    }
    if (const auto baud = line.Value("baud")) {
        options.Baud = static_cast<std::uint32_t>(ParseInteger(*baud, 1, 4000000, "--baud"));
    }
    options.DataBits = Choose<TDataBits>(line, "data-bits", db8, {{"7", db7}, {"8", db8}});
    options.Parity = Choose<TParityScheme>(line, "parity", psNone,
                                           {{"none", psNone}, {"odd", psOdd}, {"even", psEven}});
    options.StopBits = Choose<TStopBits>(line, "stop-bits", sb1, {{"1", sb1}, {"2", sb2}});
    options.Flow = Choose<TFlowControl>(line, "flow", fcNone,
                                        {{"none", fcNone},
                                         {"rts-toggle", fcRtsToggle},
                                         {"rts-cts", fcRtsCts},
                                         {"dtr-dsr", fcDtrDsr}});
    options.Mode =
        Choose<TTransmissionMode>(line, "mode", tmRTU, {{"rtu", tmRTU}, {"ascii", tmASCII}});
    options.Timing = Choose<TFrameTiming>(line, "timing", ftClassic,
                                          {{"classic", ftClassic}, {"standard", ftStandard}});
    if (const auto address = line.Value("address")) {
        options.Address = static_cast<std::uint8_t>(ParseInteger(*address, 0, 255, "--address"));
    }
    if (const auto timeout = line.Value("timeout")) {
        options.TimeoutMs =
            static_cast<std::uint32_t>(ParseInteger(*timeout, 0, 4294967295LL, "--timeout"));
    }
    if (const auto retries = line.Value("retries")) {
        options.Retries =
            static_cast<std::uint32_t>(ParseInteger(*retries, 1, 4294967295LL, "--retries"));
    }
    return options;
}

void ApplyLineOptions(const TLineOptions& options, TModbusConnection& connection) {
    connection.SetPort(options.Port);
    TBaudRate standard = brCustom;
    for (int rate = br110; rate < brCustom; ++rate) {
        if (BaudRateValue(static_cast<TBaudRate>(rate)) == options.Baud) {
            standard = static_cast<TBaudRate>(rate);
        }
    }
    if (standard == brCustom) {
        connection.SetCustomBaudRate(options.Baud);
    } else {
        connection.SetBaudRate(standard);
    }
    connection.SetDataBits(options.DataBits);
    connection.SetParity(options.Parity);
    connection.SetStopBits(options.StopBits);
    connection.SetFlowControl(options.Flow);
    connection.SetTransmissionMode(options.Mode);
    connection.SetFrameTiming(options.Timing);
    connection.SetReceiveTimeout(options.TimeoutMs);
    connection.SetMaxRetries(options.Retries);
}

std::string LineFailureText(const Corvane::ECorvaneError& error) {
    const std::string text = error.what();
    const std::string detail = Corvane::LastSerialLineErrorDetail();
    if (detail.empty() || text != Corvane::MessageText(error.MessageId())) {
        return text;
    }
    return text + " (" + detail + ")";
}

} // namespace SondrelOptions
