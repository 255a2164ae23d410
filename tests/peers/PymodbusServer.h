// PymodbusServer: the pymodbus serial server of tests/peers/pymodbus_server.py, run as a
// child process on a serial device (one end of a SocatLink), in RTU or ASCII framing.
//
// Its read-only tables hold a fixed pattern (SeededInputRegister, SeededDiscreteInput, the
// same formulas as in the script); coils and holding registers start at 0; every table
// covers addresses 0 to kTableSize - 1. The diagnostic counters, the diagnostic register
// and the identification text come from the options, so a test knows what the server must
// report.
//
// The constructor returns once the server printed its ready line; it throws
// std::runtime_error when the server does not get ready. The destructor stops it (SIGTERM)
// and reaps it. One thread at a time.
#pragma once

#include "ChildProcess.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace PeerTests {

struct PymodbusOptions {
    std::string Device;
    bool Ascii = false;
    int Address = 1;
    // Bus message, bus communication error, bus exception error, server message, server no
    // response, server NAK, server busy and bus character overrun counters.
    std::array<std::uint16_t, 8> Counters{};
    // Bits (0 to 15) set in the diagnostic register.
    std::vector<int> DiagnosticBits;
    // The data of the Report Server ID reply (the script appends its run indicator).
    std::string IdentificationText;
    // Function codes the server answers with the exception "illegal function".
    std::vector<int> Refused;
};

class PymodbusServer {
public:
    static constexpr int kTableSize = 2100;
    static std::uint16_t SeededInputRegister(int address) {
        return static_cast<std::uint16_t>((address * 7 + 3) & 0xFFFF);
    }
    static bool SeededDiscreteInput(int address) { return address % 3 == 0; }

    explicit PymodbusServer(const PymodbusOptions& options);

    // Ends the server with SIGTERM and returns its exit status (0 when it shut down cleanly).
    int Stop() { return FProcess.Stop(); }

private:
    TestSupport::ChildProcess FProcess;
};

} // namespace PeerTests
