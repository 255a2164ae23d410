// TSimulator: the simulated instruments on a serial line. It puts together an instrument model
// and its Modbus server for each address (one, or several sharing the line as a site's
// instruments do), the fault-injecting server-mode connection, opens the line (a new
// pseudo-terminal or a named port) and serves requests until asked to stop, adding a record to
// each log every sample period while that instrument's acquisition runs. Each answers Report
// Server ID (function 17) with its own data unless told not to.
//
// Main thread only: requests are dispatched on the thread that runs ServeUntil (it must be
// the main-thread bridge's thread). Owns everything it builds; the pseudo-terminal outlives
// the connection that serves on it.
#pragma once

#include "InstrumentModel.h"
#include "InstrumentServer.h"
#include "PseudoTerminal.h"
#include "SimulatorConnection.h"
#include "SimulatorOptions.h"

#include <atomic>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace SondrelSim {

class TSimulator {
public:
    // log receives the --verbose lines (one per request, one per sample) and notes about
    // the line; nullptr discards them.
    TSimulator(const TSimulatorOptions& options, std::ostream* log);
    ~TSimulator();
    TSimulator(const TSimulator&) = delete;
    TSimulator& operator=(const TSimulator&) = delete;

    // Creates the pseudo-terminal or opens the port and starts serving. Raises
    // std::system_error (no pseudo-terminal) or Corvane::ECorvaneError (port). On a
    // pseudo-terminal it returns once the server listens, so that a client may talk at once.
    void Start();
    // The path clients open: the pseudo-terminal's slave or the port as given.
    std::string DevicePath() const;

    // Serves until stop is set, checking it at least every 100 ms.
    void ServeUntil(const std::atomic<bool>& stop);

    // The instrument at the first address, or at the one given.
    TInstrumentModel& Model() { return FInstruments.front()->Model; }
    TInstrumentModel& Model(std::uint8_t address);

    // The server id byte of the Report Server ID reply.
    static constexpr std::uint8_t kServerId = 0x2A;
    // The reply's data of the instrument at an address: the server id, the run indicator (0xFF
    // while acquiring) and the text "Sondrel simulated particle counter, seed S".
    std::vector<std::uint8_t> ServerIdData(std::uint8_t address);

private:
    struct TInstrument {
        TInstrument(const TInstrumentSettings& settings, std::uint8_t address)
            : Model(settings), Server(Model), Address(address), Seed(settings.Seed) {}
        TInstrumentModel Model;
        TInstrumentServer Server;
        std::uint8_t Address;
        std::uint64_t Seed;
    };

    void WaitUntilListening();
    void Note(const std::string& text) const;
    TInstrument& At(std::uint8_t address);

    TSimulatorOptions FOptions;
    std::ostream* FLog;
    std::unique_ptr<TPseudoTerminal> FPty;
    TSimulatorConnection FConnection;
    // After the connection: the servers detach from it before it goes.
    std::vector<std::unique_ptr<TInstrument>> FInstruments;
};

} // namespace SondrelSim
