#include "ServerItemBinding.h"

#include "ServerItemAnswers.h"

namespace Sondrel {

using namespace Corvane;

TServerItemBinding::TServerItemBinding(TModbusServer& server, TServerItemMap& map,
                                       TTransactionLog& log)
    : FServer(server), FMap(map), FLog(log) {}

void TServerItemBinding::LogRefusal(const std::optional<std::string>& line) {
    if (line) {
        FLog.AddLogLine(*line);
    }
}

void TServerItemBinding::Bind() {
    FServer.OnAcceptCommand = [](TModbusServer&, std::uint8_t command, bool& accept) {
        accept = AcceptCommand(command);
    };
    auto canRead = [this](TServerItemKind kind) {
        return [this, kind](TModbusServer&, std::uint16_t address, bool& allow) {
            const TReadAnswer answer = AnswerCanRead(FMap, kind, address);
            LogRefusal(answer.LogLine);
            allow = answer.Allow;
        };
    };
    FServer.OnCanReadCoil = canRead(ikCoil);
    FServer.OnCanReadDiscreteInput = canRead(ikDiscreteInput);
    FServer.OnCanReadHoldingRegister = canRead(ikHoldingRegister);
    FServer.OnCanReadInputRegister = canRead(ikInputRegister);
    FServer.OnCanWriteCoil = [this](TModbusServer&, std::uint16_t address, bool,
                                    TItemWriteStatus& status) {
        const TWriteAnswer answer = AnswerCanWriteCoil(FMap, address);
        LogRefusal(answer.LogLine);
        status = answer.Status;
    };
    FServer.OnCanWriteHoldingRegister = [this](TModbusServer&, std::uint16_t address,
                                               std::uint16_t value, TItemWriteStatus& status) {
        const TWriteAnswer answer = AnswerCanWriteHoldingRegister(FMap, address, value);
        LogRefusal(answer.LogLine);
        status = answer.Status;
    };
    auto getBit = [this](TServerItemKind kind) {
        return [this, kind](TModbusServer&, std::uint16_t address, bool& value) {
            if (const auto answer = AnswerGetBitValue(FMap, kind, address)) {
                value = *answer;
            }
        };
    };
    FServer.OnGetCoilValue = getBit(ikCoil);
    FServer.OnGetDiscreteInputValue = getBit(ikDiscreteInput);
    auto getRegister = [this](TServerItemKind kind) {
        return [this, kind](TModbusServer&, std::uint16_t address, std::uint16_t& value) {
            if (const auto answer = AnswerGetRegisterValue(FMap, kind, address)) {
                value = *answer;
            }
        };
    };
    FServer.OnGetHoldingRegisterValue = getRegister(ikHoldingRegister);
    FServer.OnGetInputRegisterValue = getRegister(ikInputRegister);
    FServer.OnSetCoilValue = [this](TModbusServer&, std::uint16_t address, bool value) {
        if (const auto row = StoreCoilValue(FMap, address, value); row && OnRowChanged) {
            OnRowChanged(*row);
        }
    };
    FServer.OnSetHoldingRegisterValue = [this](TModbusServer&, std::uint16_t address,
                                               std::uint16_t value) {
        if (const auto row = StoreHoldingRegisterValue(FMap, address, value); row && OnRowChanged) {
            OnRowChanged(*row);
        }
    };
}

} // namespace Sondrel
