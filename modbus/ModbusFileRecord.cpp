#include "ModbusFileRecord.h"

#include "CorvaneError.h"

namespace Corvane {

TModbusFileRecord::TModbusFileRecord(std::uint16_t fileNumber, std::uint16_t recordNumber,
                                     std::int32_t regCount)
    : FileNumber(fileNumber) {
    SetRange(recordNumber, regCount);
}

void TModbusFileRecord::SetRange(std::uint16_t recordNumber, std::int32_t regCount) {
    if (regCount < 0 || std::int64_t{recordNumber} + regCount - 1 > 9999) {
        throw ECorvaneError(msgStartingRegisterInvalid, {std::int64_t{recordNumber}});
    }
    RegValues.resize(static_cast<std::size_t>(regCount), 0);
    RecordNumber = recordNumber;
}

void TModbusFileRecord::SetRegValue(std::int32_t index, std::uint16_t value) {
    if (index < 0 || index > RegCount() - 1) {
        throw ECorvaneError(msgRegisterIndexInvalid, {std::int64_t{index}});
    }
    RegValues[static_cast<std::size_t>(index)] = value;
}

TModbusFileRecord& TModbusFileRecordList::Add(std::uint16_t fileNumber, std::uint16_t recordNumber,
                                              std::int32_t regCount) {
    FItems.push_back(std::make_unique<TModbusFileRecord>(fileNumber, recordNumber, regCount));
    return *FItems.back();
}

void TModbusFileRecordList::Delete(std::int32_t index) {
    if (index >= 0 && index < Count()) {
        FItems.erase(FItems.begin() + index);
    }
}

} // namespace Corvane
