#include "InstrumentModel.h"

#include "ChannelSizeTable.h"

namespace SondrelSim {

namespace {

bool InRange(std::uint16_t value, int low, int high) {
    return value >= low && value <= high;
}

} // namespace

TInstrumentModel::TInstrumentModel(const TInstrumentSettings& settings)
    : FLog(settings.Seed, settings.CurrentRecord, settings.FilledCount, settings.CurrentTime) {
    FStored[kRegCommand] = kCommandStartAcquisition;
    FStored[kRegNthRecord] = 1;
}

bool TInstrumentModel::SizeTableSelected() const {
    return Stored(kRegOutputA) == 1 && Stored(kRegOutputB) == 0;
}

std::uint16_t TInstrumentModel::SearchResult() const {
    const TRecordTime now = FLog.CurrentTime();
    const int month = Stored(kRegSearchMonth);
    const int day = Stored(kRegSearchDay);
    const int hour = Stored(kRegSearchHour);
    const int minute = Stored(kRegSearchMinute);
    // The search carries no year: take the latest such date that is not after the current
    // record (this year's, else last year's; the log spans about 43 days).
    for (int year : {now.Year(), now.Year() - 1}) {
        const auto time = TRecordTime::FromCalendar(year, month, day, hour, minute);
        if (time && *time <= now) {
            const auto record = FLog.FindAtOrAfter(*time);
            return record ? static_cast<std::uint16_t>(*record) : kNotFound;
        }
    }
    return kNotFound;
}

std::vector<std::uint16_t> TInstrumentModel::Read(std::uint16_t start, std::uint16_t count) const {
    std::vector<std::uint16_t> values;
    values.reserve(count);
    if (start == kRegBlockStart && count == kSizeTableCount && SizeTableSelected()) {
        const TSizeTableRegisters table = TChannelSizeTable::Registers();
        values.assign(table.begin(), table.end());
        return values;
    }
    const bool readsBlock = start + count > kRegBlockStart;
    const TRecordBlock block = readsBlock ? FLog.Block(Stored(kRegRecordPointer)) : TRecordBlock{};
    for (int reg = start; reg < start + count; ++reg) {
        if (reg > kRegLast) {
            values.push_back(0); // not readable: the server refuses such reads beforehand
        } else if (reg >= kRegBlockStart) {
            values.push_back(block[static_cast<std::size_t>(reg - kRegBlockStart)]);
        } else if (reg == kRegCurrentHigh) {
            values.push_back(static_cast<std::uint16_t>(FLog.CurrentRecord() >> 16));
        } else if (reg == kRegCurrentLow) {
            values.push_back(static_cast<std::uint16_t>(FLog.CurrentRecord() & 0xFFFF));
        } else if (reg == kRegSearchResult) {
            values.push_back(SearchResult());
        } else {
            values.push_back(Stored(static_cast<std::uint16_t>(reg)));
        }
    }
    return values;
}

TWriteCheck TInstrumentModel::CheckWrite(std::uint16_t reg, std::uint16_t value) const {
    bool valid = false;
    switch (reg) {
    case kRegOutputA:
    case kRegOutputB:
    case kRegNthRecord:
        valid = true;
        break;
    case kRegModbusMode:
        valid = value == kModbusModeValue;
        break;
    case kRegCommand:
        valid = value == kCommandStopAcquisition || value == kCommandStartAcquisition;
        break;
    case kRegErase:
        valid = value == kEraseValue;
        break;
    case kRegSearchMonth:
        valid = InRange(value, 1, 12);
        break;
    case kRegSearchDay:
        valid = InRange(value, 1, 31);
        break;
    case kRegSearchHour:
        valid = InRange(value, 0, 23);
        break;
    case kRegSearchMinute:
        valid = InRange(value, 0, 59);
        break;
    case kRegRecordPointer:
        valid = InRange(value, 0, kLastRecordNumber);
        break;
    default:
        return wcIllegalAddress;
    }
    return valid ? wcAccepted : wcIllegalValue;
}

void TInstrumentModel::Write(std::uint16_t reg, std::uint16_t value) {
    if (CheckWrite(reg, value) != wcAccepted) {
        return;
    }
    FStored[reg] = value;
    if (reg == kRegCommand) {
        FAcquiring = value == kCommandStartAcquisition;
    } else if (reg == kRegModbusMode) {
        FModbusMode = true;
    } else if (reg == kRegErase) {
        FLog.Erase();
    }
}

} // namespace SondrelSim
