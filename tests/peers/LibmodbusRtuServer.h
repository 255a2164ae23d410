// LibmodbusRtuServer: a Modbus RTU server of the libmodbus library, serving one address on
// a serial device (one end of a SocatLink) from a thread inside the test process.
//
// Its tables are a libmodbus mapping with one address range per table; a request outside
// a range is answered with "illegal data address" by libmodbus itself. The test reads and
// seeds the tables directly through WithMapping(), so values can be checked both ways: what
// our client wrote is in the mapping, what the test put there is what our client reads.
//
// The server thread answers until the object is destroyed: it waits for requests in short
// slices and looks at its stop flag between them; the device is closed only after the loop
// ended. WithMapping() may be called from any thread: the mapping is locked while a request
// is answered.
#pragma once

#include <modbus.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace PeerTests {

// First address and size of each table ("start" and "nb" in libmodbus's terms).
struct MappingLayout {
    int CoilStart = 0;
    int CoilCount = 0;
    int DiscreteInputStart = 0;
    int DiscreteInputCount = 0;
    int HoldingRegisterStart = 0;
    int HoldingRegisterCount = 0;
    int InputRegisterStart = 0;
    int InputRegisterCount = 0;
};

class LibmodbusRtuServer {
public:
    // Opens device at the given line settings (parity 'N', 'E' or 'O') and starts serving
    // address. Throws std::runtime_error when libmodbus cannot open the device.
    LibmodbusRtuServer(const std::string& device, const MappingLayout& layout, int address = 1,
                       int baudRate = 19200, char parity = 'E', int dataBits = 8, int stopBits = 1);
    ~LibmodbusRtuServer();

    LibmodbusRtuServer(const LibmodbusRtuServer&) = delete;
    LibmodbusRtuServer& operator=(const LibmodbusRtuServer&) = delete;

    // Runs fn(mapping) while no request is being answered and returns what fn returns.
    // The mapping's tables are indexed from each range's start ("tab_registers[0]" is the
    // register at HoldingRegisterStart).
    template <typename F>
    auto WithMapping(F&& fn) {
        std::lock_guard lock(FMappingLock);
        return fn(*FMapping);
    }

    // Number of requests answered (or, for a broadcast, carried out) so far.
    int RequestsServed() const { return FServed.load(); }

private:
    void Serve();

    modbus_t* FContext = nullptr;
    modbus_mapping_t* FMapping = nullptr;
    std::mutex FMappingLock;
    std::atomic<bool> FStop{false};
    std::atomic<int> FServed{0};
    std::thread FThread;
};

} // namespace PeerTests
