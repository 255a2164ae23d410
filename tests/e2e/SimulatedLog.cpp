#include "SimulatedLog.h"

#include "RecordLayout.h"

#include <cstdio>

namespace E2eTests {

using namespace SondrelSim;

namespace {

std::string Padded(long long value, int width) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld", width, value);
    return text;
}

std::string TwoDecimals(unsigned long long hundredths) {
    return std::to_string(hundredths / 100) + "." +
           Padded(static_cast<long long>(hundredths % 100), 2);
}

} // namespace

SimulatedLog::SimulatedLog(const TInstrumentSettings& settings)
    : FSettings(settings),
      FLog(settings.Seed, settings.CurrentRecord, settings.FilledCount, settings.CurrentTime) {}

std::vector<std::string> SimulatedLog::SimulatorArguments() const {
    const TRecordTime t = FSettings.CurrentTime;
    char time[32];
    std::snprintf(time, sizeof time, "%04d-%02d-%02d %02d:%02d", t.Year(), t.Month(), t.Day(),
                  t.Hour(), t.Minute());
    return {"--seed",          std::to_string(FSettings.Seed),
            "--current",       std::to_string(FSettings.CurrentRecord),
            "--filled",        std::to_string(FSettings.FilledCount),
            "--time",          time,
            "--sample-period", "0"};
}

std::vector<std::string> SimulatedLog::Row(int record, int firstRecord) const {
    const TRecordBlock r = FLog.Block(record);
    std::vector<std::string> row;
    // A record is shown under its own number; an empty one carries none (its number
    // register reads 65535, like the rest of erased memory).
    row.push_back(Padded(record, 5));
    // The index counts from the window's first record, across the wrap from 62000 to 0.
    const int offset = ((record - firstRecord) % kRecordCount + kRecordCount) % kRecordCount;
    const std::string index = Padded(offset + 1, 5);
    if (!FLog.IsFilled(record)) {
        row.resize(26);
        row.push_back(index);
        return row;
    }
    row.push_back(Padded(r[kMonth], 2) + "/" + Padded(r[kDay], 2) + "/" + std::to_string(r[kYear]));
    row.push_back(Padded(r[kHour], 2) + ":" + Padded(r[kMinute], 2));
    auto counts = [&](int high) {
        return std::to_string(static_cast<unsigned long long>(r[high]) * 65535ULL + r[high + 1]);
    };
    for (int k = 1; k <= kChannelCount; ++k) {
        row.push_back(counts(ChannelCountsHigh(k)));
    }
    row.push_back(counts(kTotalCountsHigh));
    unsigned long long totalPpb = 0;
    for (int k = 1; k <= kChannelCount; ++k) {
        const unsigned long long ppb = r[PpbInteger(k)] * 100ULL + r[PpbHundredths(k)];
        totalPpb += ppb;
        row.push_back(TwoDecimals(ppb));
    }
    row.push_back(TwoDecimals(totalPpb));
    row.push_back(std::to_string(r[kFlowRate]));
    row.push_back(std::to_string(r[kCellCondition]));
    row.push_back(std::to_string(r[kLaserCondition]));
    row.push_back(index);
    return row;
}

} // namespace E2eTests
