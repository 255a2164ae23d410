#include "PymodbusServer.h"

#include <chrono>
#include <stdexcept>

namespace PeerTests {

namespace {

// The Debian python with the pymodbus package, and the script; set by the build.
constexpr const char* kPython = SONDREL_PEER_PYTHON;
constexpr const char* kScript = SONDREL_PYMODBUS_SERVER_SCRIPT;

// Importing pymodbus takes most of a second on a busy machine.
constexpr auto kReadyTimeout = std::chrono::seconds(20);

std::vector<std::string> Arguments(const PymodbusOptions& o) {
    std::string counters;
    for (auto c : o.Counters) {
        counters += (counters.empty() ? "" : ",") + std::to_string(c);
    }
    std::string bits;
    for (int b : o.DiagnosticBits) {
        bits += (bits.empty() ? "" : ",") + std::to_string(b);
    }
    // A pseudo-terminal keeps no character format, and pyserial cannot even set 7 data bits
    // or a parity on one (the kernel drops them and the C library reports EINVAL), so the
    // server always runs 8N1; the bytes on the link are the same whatever our side chose.
    std::vector<std::string> args = {kPython,
                                     kScript,
                                     "--port",
                                     o.Device,
                                     "--mode",
                                     o.Ascii ? "ascii" : "rtu",
                                     "--unit",
                                     std::to_string(o.Address),
                                     "--bytesize",
                                     "8",
                                     "--parity",
                                     "N",
                                     "--counters",
                                     counters,
                                     "--diagnostic-bits",
                                     bits,
                                     "--id-text",
                                     o.IdentificationText};
    for (int code : o.Refused) {
        args.push_back("--refuse");
        args.push_back(std::to_string(code));
    }
    return args;
}

} // namespace

PymodbusServer::PymodbusServer(const PymodbusOptions& options) : FProcess(Arguments(options)) {
    if (!FProcess.WaitForLine("ready", kReadyTimeout)) {
        FProcess.Stop();
        throw std::runtime_error("the pymodbus server did not get ready on " + options.Device +
                                 "; it printed: " + FProcess.Output());
    }
}

} // namespace PeerTests
