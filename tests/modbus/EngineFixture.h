// A connection and a client on one side of a pseudo-terminal pair, with a scripted peer on
// the other, and the main-thread pumping that completions need.
#pragma once

#include "MainThreadPump.h"
#include "PtyPair.h"
#include "ScriptedPeer.h"

#include "MainThreadBridge.h"
#include "ModbusClient.h"
#include "ModbusConnection.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

namespace TestSupport {

struct Completion {
    Corvane::TTransactionInfo Info;
    Corvane::TRegValues Values;
};

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        Corvane::TMainThreadBridge::Instance().AdoptCurrentThread();
        Connection.SetPort(Pty.SlavePath());
        Connection.SetReceiveTimeout(250);
        Connection.SetMaxRetries(3);
        Connection.OnFrameSend = [this](Corvane::TModbusConnection&, const Corvane::TFrameData& d) {
            Sent.push_back(d);
        };
        Connection.OnFrameReceive = [this](Corvane::TModbusConnection&,
                                           const Corvane::TFrameData& d) { Received.push_back(d); };
        Client.SetConnection(&Connection);
        Client.OnHoldingRegistersRead = [this](Corvane::TModbusClient&,
                                               const Corvane::TTransactionInfo& info, std::uint16_t,
                                               std::uint16_t, const Corvane::TRegValues& values) {
            Completions.push_back({info, values});
        };
        Client.OnSingleRegisterWrite = [this](Corvane::TModbusClient&,
                                              const Corvane::TTransactionInfo& info, std::uint16_t,
                                              std::uint16_t) {
            Completions.push_back({info, {}});
        };
    }

    void StartPeer(ScriptedPeer::Handler handler) {
        Peer = std::make_unique<ScriptedPeer>(Pty, std::move(handler));
    }

    void Open() { Connection.SetActive(true); }

    bool WaitForCompletions(std::size_t n,
                            std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
        return PumpUntil([&] { return Completions.size() >= n; }, timeout);
    }

    PtyPair Pty;
    Corvane::TModbusConnection Connection;
    Corvane::TModbusClient Client;
    std::unique_ptr<ScriptedPeer> Peer;
    std::vector<Corvane::TFrameData> Sent;
    std::vector<Corvane::TFrameData> Received;
    std::vector<Completion> Completions;

    void TearDown() override {
        Connection.SetActive(false);
        Peer.reset();
    }
};

// The normal reply of a Read Holding Registers request for address 1.
inline Bytes HoldingReply(std::uint8_t address, std::initializer_list<std::uint16_t> values) {
    Bytes body = {address, 0x03, static_cast<std::uint8_t>(2 * values.size())};
    for (auto v : values) {
        body.push_back(static_cast<std::uint8_t>(v >> 8));
        body.push_back(static_cast<std::uint8_t>(v & 0xFF));
    }
    return RtuFrame(body);
}

} // namespace TestSupport
