// The simulated instrument served in-process on a new pseudo-terminal, as sondrel-sim --pty
// serves, with our own client on the pseudo-terminal's device, and blocking helpers that
// run one request and pump the main thread until it completes.
#pragma once

#include "Simulator.h"

#include "LineOptions.h"

#include "MainThreadBridge.h"
#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>

namespace SimTest {

struct Completion {
    Corvane::TTransactionInfo Info;
    Corvane::TRegValues Values;
};

inline SondrelSim::TInstrumentSettings DefaultInstrument() {
    SondrelSim::TInstrumentSettings s;
    s.Seed = 11;
    s.CurrentRecord = 10;
    s.FilledCount = SondrelSim::kRecordCount;
    s.CurrentTime = *SondrelSim::TRecordTime::FromCalendar(2024, 3, 7, 9, 5);
    return s;
}

class SimulatorFixture : public ::testing::Test {
protected:
    void SetUp() override { Corvane::TMainThreadBridge::Instance().AdoptCurrentThread(); }

    void TearDown() override { Connection.SetActive(false); }

    // Starts the instrument on a new pseudo-terminal and opens the client on it (retries:
    // sends per request). Requests are served while the helpers below pump the main thread.
    void Start(const SondrelSim::TFaultSettings& faults = {},
               const SondrelSim::TInstrumentSettings& instrument = DefaultInstrument(),
               std::uint32_t retries = 1, Corvane::TTransmissionMode mode = Corvane::tmRTU) {
        SondrelSim::TSimulatorOptions options;
        options.UsePty = true;
        options.Line.Mode = mode;
        options.Instrument = instrument;
        options.Faults = faults;
        StartWith(options, retries);
    }

    // The same with every option of the simulator given; the client's line speed, character
    // format, mode and frame timing follow the simulator's.
    void StartWith(const SondrelSim::TSimulatorOptions& options, std::uint32_t retries = 1) {
        Simulator = std::make_unique<SondrelSim::TSimulator>(options, nullptr);
        Simulator->Start();

        SondrelOptions::ApplyLineOptions(options.Line, Connection);
        Connection.SetPort(Simulator->DevicePath());
        Connection.SetReceiveTimeout(400);
        Connection.SetMaxRetries(retries);
        Client.SetConnection(&Connection);
        Client.OnHoldingRegistersRead = [this](Corvane::TModbusClient&,
                                               const Corvane::TTransactionInfo& info, std::uint16_t,
                                               std::uint16_t, const Corvane::TRegValues& values) {
            Last = Completion{info, values};
        };
        Client.OnSingleRegisterWrite = [this](Corvane::TModbusClient&,
                                              const Corvane::TTransactionInfo& info, std::uint16_t,
                                              std::uint16_t) {
            Last = Completion{info, {}};
        };
        Client.OnMultipleRegistersWrite =
            [this](Corvane::TModbusClient&, const Corvane::TTransactionInfo& info, std::uint16_t,
                   std::uint16_t, const Corvane::TRegValues&) {
                Last = Completion{info, {}};
            };
        Connection.SetActive(true);
    }

    SondrelSim::TInstrumentModel& Model() { return Simulator->Model(); }

    Completion Read(std::uint16_t start, std::uint16_t count) {
        return Run([&] { Client.ReadHoldingRegisters(start, count, 0); });
    }
    Completion Write(std::uint16_t reg, std::uint16_t value) {
        return Run([&] { Client.WriteSingleRegister(reg, value, 0); });
    }
    Completion WriteMany(std::uint16_t start, const Corvane::TRegValues& values) {
        return Run([&] { Client.WriteMultipleRegisters(start, values, 0); });
    }
    // A read that must succeed; its values.
    Corvane::TRegValues ReadOk(std::uint16_t start, std::uint16_t count) {
        const Completion c = Read(start, count);
        EXPECT_EQ(c.Info.Status, Corvane::rsNormalResponse) << "read " << start << " x" << count;
        return c.Values;
    }
    void WriteOk(std::uint16_t reg, std::uint16_t value) {
        EXPECT_EQ(Write(reg, value).Info.Status, Corvane::rsNormalResponse)
            << "write " << reg << " := " << value;
    }

    template <typename Submit>
    Completion Run(Submit submit) {
        Last.reset();
        submit();
        auto& bridge = Corvane::TMainThreadBridge::Instance();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!Last && std::chrono::steady_clock::now() < deadline) {
            bridge.WaitAndDrain(std::chrono::milliseconds(5));
        }
        EXPECT_TRUE(Last.has_value()) << "no completion";
        return Last.value_or(Completion{});
    }

    std::unique_ptr<SondrelSim::TSimulator> Simulator;
    Corvane::TModbusConnection Connection;
    Corvane::TModbusClient Client;
    std::optional<Completion> Last;
};

} // namespace SimTest
