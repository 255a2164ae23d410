#include "InstrumentServer.h"

#include "FunctionCodes.h"

#include <stdexcept>

namespace SondrelSim {

using namespace Corvane;

bool TInstrumentServer::DoAcceptCommand(std::uint8_t command) {
    FReadCount = 0;
    FReadValues.clear();
    return command == FunctionCodes::ReadHoldingRegisters ||
           command == FunctionCodes::WriteSingleRegister ||
           command == FunctionCodes::WriteMultipleRegisters;
}

bool TInstrumentServer::DoCanReadHoldingRegister(std::uint16_t regAddr) {
    if (FReadCount == 0) {
        FReadStart = regAddr;
    }
    ++FReadCount;
    return TInstrumentModel::IsReadable(regAddr);
}

std::uint16_t TInstrumentServer::DoGetHoldingRegisterValue(std::uint16_t regAddr) {
    if (FReadValues.empty() && FReadCount > 0) {
        FReadValues = FModel.Read(FReadStart, static_cast<std::uint16_t>(FReadCount));
    }
    const std::size_t index = static_cast<std::size_t>(regAddr) - FReadStart;
    if (regAddr < FReadStart || index >= FReadValues.size()) {
        // The server asked for a value outside the read it announced: answered with 04.
        throw std::logic_error("register outside the read being answered");
    }
    return FReadValues[index];
}

TItemWriteStatus TInstrumentServer::DoCanWriteHoldingRegister(std::uint16_t regAddr,
                                                              std::uint16_t regValue) {
    switch (FModel.CheckWrite(regAddr, regValue)) {
    case wcAccepted:
        return iwsAllowWrite;
    case wcIllegalValue:
        return iwsIllegalValue;
    case wcIllegalAddress:
        break;
    }
    return iwsIllegalAddress;
}

void TInstrumentServer::DoSetHoldingRegisterValue(std::uint16_t regAddr, std::uint16_t regValue) {
    FModel.Write(regAddr, regValue);
}

} // namespace SondrelSim
