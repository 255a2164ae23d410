#include "LibmodbusRtuServer.h"

#include <cerrno>
#include <stdexcept>

namespace PeerTests {

namespace {

// How long one wait for a request lasts before the stop flag is looked at again.
constexpr unsigned kStopCheckMicroseconds = 50'000;
// libmodbus pauses for its response timeout before it flushes the line after a bad frame
// and before some exception replies; its default of half a second would only slow the
// tests down.
constexpr unsigned kFlushPauseMicroseconds = 20'000;

} // namespace

LibmodbusRtuServer::LibmodbusRtuServer(const std::string& device, const MappingLayout& layout,
                                       int address, int baudRate, char parity, int dataBits,
                                       int stopBits) {
    FContext = modbus_new_rtu(device.c_str(), baudRate, parity, dataBits, stopBits);
    if (FContext == nullptr) {
        throw std::runtime_error("modbus_new_rtu: " + std::string(modbus_strerror(errno)));
    }
    FMapping = modbus_mapping_new_start_address(static_cast<unsigned>(layout.CoilStart),
                                                static_cast<unsigned>(layout.CoilCount),
                                                static_cast<unsigned>(layout.DiscreteInputStart),
                                                static_cast<unsigned>(layout.DiscreteInputCount),
                                                static_cast<unsigned>(layout.HoldingRegisterStart),
                                                static_cast<unsigned>(layout.HoldingRegisterCount),
                                                static_cast<unsigned>(layout.InputRegisterStart),
                                                static_cast<unsigned>(layout.InputRegisterCount));
    // A bad frame is flushed, so that its remains are not taken for the next request.
    if (FMapping == nullptr || modbus_set_slave(FContext, address) != 0 ||
        modbus_set_error_recovery(FContext, MODBUS_ERROR_RECOVERY_PROTOCOL) != 0 ||
        modbus_set_indication_timeout(FContext, 0, kStopCheckMicroseconds) != 0 ||
        modbus_set_response_timeout(FContext, 0, kFlushPauseMicroseconds) != 0 ||
        modbus_connect(FContext) != 0) {
        const std::string reason = modbus_strerror(errno);
        if (FMapping != nullptr) {
            modbus_mapping_free(FMapping);
        }
        modbus_free(FContext);
        throw std::runtime_error("libmodbus server on " + device + ": " + reason);
    }
    FThread = std::thread([this] { Serve(); });
}

LibmodbusRtuServer::~LibmodbusRtuServer() {
    FStop = true;
    FThread.join();
    // The loop has ended: nothing uses the device or the mapping any more.
    modbus_close(FContext);
    modbus_free(FContext);
    modbus_mapping_free(FMapping);
}

void LibmodbusRtuServer::Serve() {
    std::uint8_t request[MODBUS_RTU_MAX_ADU_LENGTH];
    while (!FStop) {
        // -1 with ETIMEDOUT: no request in this slice; -1 otherwise: a bad frame, already
        // flushed; 0: a request for another address, ignored.
        const int length = modbus_receive(FContext, request);
        if (length > 0) {
            std::lock_guard lock(FMappingLock);
            modbus_reply(FContext, request, length, FMapping);
            ++FServed;
        }
    }
}

} // namespace PeerTests
