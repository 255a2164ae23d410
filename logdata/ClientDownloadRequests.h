// The download's two requests sent through a Modbus client (ModbusClient1 in the program).
#pragma once

#include "DownloadRequests.h"

#include "ModbusClient.h"
#include "ModbusLink.h"

namespace Sondrel {

class TClientDownloadRequests : public TDownloadRequests {
public:
    explicit TClientDownloadRequests(Corvane::TModbusClient& client) : FClient(client) {}

    std::int32_t WriteSingleRegister(std::uint16_t reg, std::uint16_t value) override {
        return FClient.WriteSingleRegister(reg, value, 0);
    }
    std::int32_t ReadHoldingRegisters(std::uint16_t start, std::uint16_t count) override {
        return FClient.ReadHoldingRegisters(start, count, 0);
    }
    bool LineLost() const override {
        const Corvane::IModbusLink* connection = FClient.Connection();
        return connection != nullptr && connection->LineLost();
    }
    Corvane::TExchangeTiming ExchangeTiming() const override {
        const Corvane::IModbusLink* connection = FClient.Connection();
        return connection != nullptr ? connection->ExchangeTiming() : Corvane::TExchangeTiming{};
    }

private:
    Corvane::TModbusClient& FClient;
};

} // namespace Sondrel
