#include "Simulator.h"

#include "TransactionLog.h"

#include "MainThreadBridge.h"

#include <algorithm>
#include <chrono>

namespace SondrelSim {

using namespace Corvane;

TSimulator::TSimulator(const TSimulatorOptions& options, std::ostream* log)
    : FOptions(options), FLog(log), FConnection(options.Faults, options.WireTime) {
    SondrelOptions::ApplyLineOptions(FOptions.Line, FConnection);
    FConnection.SetConnectionMode(cmServer);
    if (FOptions.Addresses.empty()) {
        FOptions.Addresses = {1};
    }
    TInstrumentSettings settings = FOptions.Instrument;
    for (const std::uint8_t address : FOptions.Addresses) {
        auto& instrument =
            FInstruments.emplace_back(std::make_unique<TInstrument>(settings, address));
        instrument->Server.SetAddress(address);
        instrument->Server.SetConnection(&FConnection);
        ++settings.Seed;
    }
    if (FOptions.Verbose) {
        FConnection.OnRequestLog = [this](const std::string& line) { Note(line); };
    }
    if (FOptions.AnswersServerId) {
        FConnection.ServerIdReply = [this](std::uint8_t address) { return ServerIdData(address); };
    }
}

TSimulator::TInstrument& TSimulator::At(std::uint8_t address) {
    for (auto& instrument : FInstruments) {
        if (instrument->Address == address) {
            return *instrument;
        }
    }
    return *FInstruments.front();
}

TInstrumentModel& TSimulator::Model(std::uint8_t address) {
    return At(address).Model;
}

std::vector<std::uint8_t> TSimulator::ServerIdData(std::uint8_t address) {
    // The standard's layout: a server id, the run indicator, then data of the device's own.
    const TInstrument& instrument = At(address);
    std::vector<std::uint8_t> data = {kServerId, instrument.Model.Acquiring() ? std::uint8_t{0xFF}
                                                                              : std::uint8_t{0x00}};
    const std::string text =
        "Sondrel simulated particle counter, seed " + std::to_string(instrument.Seed);
    data.insert(data.end(), text.begin(), text.end());
    return data;
}

TSimulator::~TSimulator() {
    FConnection.SetActive(false);
}

void TSimulator::Start() {
    if (FOptions.UsePty) {
        FPty = std::make_unique<TPseudoTerminal>();
        FConnection.SetHookExistingPort(true);
        FConnection.OnGetHookedPortHandle = [this](TModbusConnection&, std::uintptr_t& handle) {
            handle = static_cast<std::uintptr_t>(FPty->MasterFd());
        };
    }
    FConnection.SetActive(true);
    if (FPty) {
        WaitUntilListening();
    }
    FConnection.OnInvalidFrameDiscard = [this](TModbusConnection&) {
        if (FOptions.Verbose) {
            Note("invalid frame discarded");
        }
    };
}

// The server's worker empties the line when it starts, so a request sent before that moment
// would be lost. Probe from the client's side with an empty frame (":" CR LF, invalid in
// both framings) until the worker reports it as discarded: from then on it is listening.
void TSimulator::WaitUntilListening() {
    using Clock = std::chrono::steady_clock;
    bool listening = false;
    FConnection.OnInvalidFrameDiscard = [&listening](TModbusConnection&) { listening = true; };
    auto& bridge = TMainThreadBridge::Instance();
    const auto giveUp = Clock::now() + std::chrono::seconds(5);
    while (!listening && Clock::now() < giveUp) {
        if (!FPty->WriteAsClient(":\r\n")) {
            break;
        }
        const auto slice = Clock::now() + std::chrono::milliseconds(20);
        while (!listening && Clock::now() < slice) {
            bridge.WaitAndDrain(std::chrono::milliseconds(5));
        }
    }
    FConnection.OnInvalidFrameDiscard = nullptr;
}

std::string TSimulator::DevicePath() const {
    return FPty ? FPty->SlavePath() : FOptions.Line.Port;
}

void TSimulator::Note(const std::string& text) const {
    if (FLog != nullptr) {
        *FLog << "[" << Sondrel::FormatLogTime(Sondrel::LocalLogTime()) << "] " << text
              << std::endl;
    }
}

void TSimulator::ServeUntil(const std::atomic<bool>& stop) {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::milliseconds(FOptions.SamplePeriodMs);
    auto nextSample = Clock::now() + period;
    bool lineLostNoted = false;
    auto& bridge = TMainThreadBridge::Instance();
    // Short waits when the log grows fast, so that each sample comes on time.
    const auto slice = std::chrono::milliseconds(
        period.count() > 0 ? std::clamp<std::int64_t>(period.count() / 4, 1, 100) : 100);
    while (!stop) {
        bridge.WaitAndDrain(slice);
        if (period.count() > 0 && Clock::now() >= nextSample) {
            nextSample += period;
            for (auto& instrument : FInstruments) {
                if (!instrument->Model.Acquiring()) {
                    continue;
                }
                instrument->Model.AppendSample();
                if (FOptions.Verbose) {
                    Note("sample: address " + std::to_string(instrument->Address) +
                         ", current record " +
                         std::to_string(instrument->Model.Log().CurrentRecord()));
                }
            }
        }
        // A port whose other end went away is waited for (the connection comes back by
        // itself when it reappears); the pseudo-terminal never loses its line.
        if (FConnection.LineLost() != lineLostNoted) {
            lineLostNoted = !lineLostNoted;
            Note(lineLostNoted ? "The serial line is gone; waiting for it to come back."
                               : "The serial line is back.");
        }
    }
}

} // namespace SondrelSim
