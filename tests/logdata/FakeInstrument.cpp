#include "FakeInstrument.h"

Corvane::TRegValues TFakeInstrument::RecordRegisters(std::int32_t n) {
    Corvane::TRegValues r(104, 7);
    const auto time = TimeOf(n);
    r[0] = 0;
    r[1] = static_cast<std::uint16_t>(n);
    r[2] = 0;
    r[3] = 2014;
    r[4] = time[0];
    r[5] = time[1];
    r[6] = time[2];
    r[7] = time[3];
    r[13] = static_cast<std::uint16_t>(90 + n % 10);
    r[14] = static_cast<std::uint16_t>(100 - n % 5);
    r[15] = static_cast<std::uint16_t>(28 + n % 3);
    for (int k = 1; k <= 9; ++k) {
        r[31 + 2 * k] = static_cast<std::uint16_t>((n + k) % 3);
        r[32 + 2 * k] = static_cast<std::uint16_t>((n * 31 + k * 1000) % 65536);
        r[62 + 2 * k] = static_cast<std::uint16_t>(k + n % 7);
        r[63 + 2 * k] = static_cast<std::uint16_t>((n + k) % 100);
    }
    r[51] = static_cast<std::uint16_t>(n % 2);
    r[52] = static_cast<std::uint16_t>(n % 65536);
    return r;
}

std::array<std::uint16_t, 4> TFakeInstrument::TimeOf(std::int32_t n) {
    return {static_cast<std::uint16_t>(1 + (n / (1440 * 28)) % 12),
            static_cast<std::uint16_t>(1 + (n / 1440) % 28),
            static_cast<std::uint16_t>((n / 60) % 24), static_cast<std::uint16_t>(n % 60)};
}

bool TFakeInstrument::IsFilled(std::int32_t n) const {
    if (Erased || n < 0 || n >= RecordSpace) {
        return false;
    }
    const std::int32_t age = ((CurrentRecord - n) % RecordSpace + RecordSpace) % RecordSpace;
    return age < FilledCount;
}

bool TFakeInstrument::Write(std::uint16_t reg, std::uint16_t value) {
    if (SilencedWrites.count(reg) != 0) {
        return false;
    }
    FRegisters[reg] = value;
    if (reg == 246) {
        Acquiring = value == 11 ? true : value == 10 ? false : Acquiring;
    }
    if (reg == 249 && value == 1) {
        Erased = true;
    }
    return true;
}

Corvane::TRegValues TFakeInstrument::RecordAt(std::int32_t n) const {
    if (IsFilled(n)) {
        const auto custom = Overrides.find(n);
        return custom != Overrides.end() ? custom->second : RecordRegisters(n);
    }
    Corvane::TRegValues empty(104, 65535);
    if (EmptyRecordsNumbered) {
        empty[1] = static_cast<std::uint16_t>(n);
    }
    return empty;
}

std::optional<Corvane::TRegValues> TFakeInstrument::Read(std::uint16_t start, std::uint16_t count) {
    if (SilencedReads.count(start) != 0) {
        return std::nullopt;
    }
    switch (start) {
    case 2:
        return Corvane::TRegValues{CurrentRecordHigh};
    case 3:
        return Corvane::TRegValues{static_cast<std::uint16_t>(CurrentRecord & 0xFFFF)};
    case 230:
        for (std::int32_t n = 0; n < RecordSpace; ++n) {
            const auto t = TimeOf(n);
            if (IsFilled(n) && t[0] == FRegisters[250] && t[1] == FRegisters[251] &&
                t[2] == FRegisters[252] && t[3] == FRegisters[253]) {
                return Corvane::TRegValues{static_cast<std::uint16_t>(n)};
            }
        }
        return Corvane::TRegValues{65535};
    case 256:
        if (count == 88 && FRegisters[243] == 1 && FRegisters[244] == 0) {
            return SizeTable;
        }
        if (count == 104) {
            ++BlockReads;
            if (DropEveryKthBlock > 0 && BlockReads % DropEveryKthBlock == 0) {
                return std::nullopt;
            }
            return RecordAt(FRegisters[254]);
        }
        break;
    default:
        break;
    }
    return Corvane::TRegValues(count, 0);
}
