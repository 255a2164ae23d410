#include "ServerItemBinding.h"

#include "ServerItemAnswers.h"

namespace Sondrel {

using namespace Corvane;

TServerItemBinding::TServerItemBinding(TModbusServer& server, TServerItemMap& map,
                                       TTransactionLog& log)
    : FServer(server), FMap(map), FLog(log) {}

void TServerItemBinding::Bind() {
    FServer.OnAcceptCommand = [this](TModbusServer&, std::uint8_t command, bool& accept) {
        ModbusServer1AcceptCommand(command, accept);
    };
    FServer.OnCanReadCoil = [this](TModbusServer&, std::uint16_t address, bool& allow) {
        ModbusServer1CanReadCoil(address, allow);
    };
    FServer.OnCanReadDiscreteInput = [this](TModbusServer&, std::uint16_t address, bool& allow) {
        ModbusServer1CanReadDiscreteInput(address, allow);
    };
    FServer.OnCanReadHoldingRegister = [this](TModbusServer&, std::uint16_t address, bool& allow) {
        ModbusServer1CanReadHoldingRegister(address, allow);
    };
    FServer.OnCanReadInputRegister = [this](TModbusServer&, std::uint16_t address, bool& allow) {
        ModbusServer1CanReadInputRegister(address, allow);
    };
    FServer.OnCanWriteCoil = [this](TModbusServer&, std::uint16_t address, bool,
                                    TItemWriteStatus& status) {
        ModbusServer1CanWriteCoil(address, status);
    };
    FServer.OnCanWriteHoldingRegister = [this](TModbusServer&, std::uint16_t address,
                                               std::uint16_t value, TItemWriteStatus& status) {
        ModbusServer1CanWriteHoldingRegister(address, value, status);
    };
    FServer.OnGetCoilValue = [this](TModbusServer&, std::uint16_t address, bool& value) {
        ModbusServer1GetCoilValue(address, value);
    };
    FServer.OnGetDiscreteInputValue = [this](TModbusServer&, std::uint16_t address, bool& value) {
        ModbusServer1GetDiscreteInputValue(address, value);
    };
    FServer.OnGetHoldingRegisterValue = [this](TModbusServer&, std::uint16_t address,
                                               std::uint16_t& value) {
        ModbusServer1GetHoldingRegisterValue(address, value);
    };
    FServer.OnGetInputRegisterValue = [this](TModbusServer&, std::uint16_t address,
                                             std::uint16_t& value) {
        ModbusServer1GetInputRegisterValue(address, value);
    };
    FServer.OnSetCoilValue = [this](TModbusServer&, std::uint16_t address, bool value) {
        ModbusServer1SetCoilValue(address, value);
    };
    FServer.OnSetHoldingRegisterValue = [this](TModbusServer&, std::uint16_t address,
                                               std::uint16_t value) {
        ModbusServer1SetHoldingRegisterValue(address, value);
    };
}

// --- Shared steps ------------------------------------------------------------------------------

void TServerItemBinding::LogRefusal(const std::optional<std::string>& line) {
    if (line) {
        FLog.AddLogLine(*line);
    }
}

void TServerItemBinding::CanRead(TServerItemKind kind, std::uint16_t address, bool& allow) {
    const TReadAnswer answer = AnswerCanRead(FMap, kind, address);
    LogRefusal(answer.LogLine);
    allow = answer.Allow;
}

void TServerItemBinding::GetBitValue(TServerItemKind kind, std::uint16_t address, bool& value) {
    // With no item the value stays as the server passed it.
    if (const auto answer = AnswerGetBitValue(FMap, kind, address)) {
        value = *answer;
    }
}

void TServerItemBinding::GetRegisterValue(TServerItemKind kind, std::uint16_t address,
                                          std::uint16_t& value) {
    if (const auto answer = AnswerGetRegisterValue(FMap, kind, address)) {
        value = *answer;
    }
}

void TServerItemBinding::RowChanged(const std::optional<std::size_t>& row) {
    if (row && OnRowChanged) {
        OnRowChanged(*row);
    }
}

// --- Handlers ----------------------------------------------------------------------------------

void TServerItemBinding::ModbusServer1AcceptCommand(std::uint8_t command, bool& accept) {
    accept = AcceptCommand(command);
}

void TServerItemBinding::ModbusServer1CanReadCoil(std::uint16_t address, bool& allow) {
    CanRead(ikCoil, address, allow);
}

void TServerItemBinding::ModbusServer1CanReadDiscreteInput(std::uint16_t address, bool& allow) {
    CanRead(ikDiscreteInput, address, allow);
}

void TServerItemBinding::ModbusServer1CanReadHoldingRegister(std::uint16_t address, bool& allow) {
    CanRead(ikHoldingRegister, address, allow);
}

void TServerItemBinding::ModbusServer1CanReadInputRegister(std::uint16_t address, bool& allow) {
    CanRead(ikInputRegister, address, allow);
}

void TServerItemBinding::ModbusServer1CanWriteCoil(std::uint16_t address,
                                                   TItemWriteStatus& status) {
    const TWriteAnswer answer = AnswerCanWriteCoil(FMap, address);
    LogRefusal(answer.LogLine);
    status = answer.Status;
}

void TServerItemBinding::ModbusServer1CanWriteHoldingRegister(std::uint16_t address,
                                                              std::uint16_t value,
                                                              TItemWriteStatus& status) {
    const TWriteAnswer answer = AnswerCanWriteHoldingRegister(FMap, address, value);
    LogRefusal(answer.LogLine);
    status = answer.Status;
}

void TServerItemBinding::ModbusServer1GetCoilValue(std::uint16_t address, bool& value) {
    GetBitValue(ikCoil, address, value);
}

void TServerItemBinding::ModbusServer1GetDiscreteInputValue(std::uint16_t address, bool& value) {
    GetBitValue(ikDiscreteInput, address, value);
}

void TServerItemBinding::ModbusServer1GetHoldingRegisterValue(std::uint16_t address,
                                                              std::uint16_t& value) {
    GetRegisterValue(ikHoldingRegister, address, value);
}

void TServerItemBinding::ModbusServer1GetInputRegisterValue(std::uint16_t address,
                                                            std::uint16_t& value) {
    GetRegisterValue(ikInputRegister, address, value);
}

void TServerItemBinding::ModbusServer1SetCoilValue(std::uint16_t address, bool value) {
    RowChanged(StoreCoilValue(FMap, address, value));
}

void TServerItemBinding::ModbusServer1SetHoldingRegisterValue(std::uint16_t address,
                                                              std::uint16_t value) {
    RowChanged(StoreHoldingRegisterValue(FMap, address, value));
}

} // namespace Sondrel
