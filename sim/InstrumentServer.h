// TInstrumentServer: the Modbus server of the simulated instrument. It answers Read Holding
// Registers (03), Write Single Register (06) and Write Multiple Registers (16) from a
// TInstrumentModel; every other function is refused with exception 01, unreadable registers
// with 02, unknown registers on write with 02 and values the register does not take with 03.
//
// The model answers a read as a whole (the channel size table depends on the register
// count), while the library's server asks for one register at a time. The server asks read
// permission for every register of a request, in ascending order, before it asks for any
// value, and every request starts with the accept-command question; so the run of
// permission questions since that question gives the start and count of the read, and the
// first value question fetches the whole block from the model.
//
// Main thread (the connection dispatches requests there). Does not own the model, which
// must outlive it.
#pragma once

#include "InstrumentModel.h"

#include "ModbusServer.h"

#include <cstdint>
#include <vector>

namespace SondrelSim {

class TInstrumentServer : public Corvane::TModbusServer {
public:
    explicit TInstrumentServer(TInstrumentModel& model) : FModel(model) {}

protected:
    bool DoAcceptCommand(std::uint8_t command) override;
    bool DoCanReadHoldingRegister(std::uint16_t regAddr) override;
    std::uint16_t DoGetHoldingRegisterValue(std::uint16_t regAddr) override;
    Corvane::TItemWriteStatus DoCanWriteHoldingRegister(std::uint16_t regAddr,
                                                        std::uint16_t regValue) override;
    void DoSetHoldingRegisterValue(std::uint16_t regAddr, std::uint16_t regValue) override;

private:
    TInstrumentModel& FModel;
    // The read being answered: its first register, the registers asked so far, and the
    // values once the first one was asked for.
    std::uint16_t FReadStart = 0;
    std::uint32_t FReadCount = 0;
    std::vector<std::uint16_t> FReadValues;
};

} // namespace SondrelSim
