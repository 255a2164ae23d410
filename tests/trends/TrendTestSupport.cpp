#include "TrendTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace TrendTest {

using namespace Sondrel;

namespace {

constexpr std::size_t kRegisters = 104;

void PutCounts(std::vector<std::uint16_t>& r, std::size_t high, std::uint32_t counts) {
    // The high word weighs 65535, as the instrument writes it.
    // (the largest count, 4294901760, is 65535 and 65535).
    const std::uint32_t highWord = std::min<std::uint32_t>(counts / 65535U, 65535U);
    r[high] = static_cast<std::uint16_t>(highWord);
    r[high + 1] = static_cast<std::uint16_t>(counts - highWord * 65535U);
}

} // namespace

std::int64_t Base() {
    return *RecordMinutes(2024, 1, 1, 0, 0);
}

std::vector<TSample> Minutely(std::size_t count, std::int64_t start,
                              const std::function<void(std::size_t, TSample&)>& fill) {
    std::vector<TSample> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        samples[i].Minutes = Base() + start + static_cast<std::int64_t>(i);
        fill(i, samples[i]);
    }
    return samples;
}

std::vector<std::uint16_t> Block(const TSample& sample, std::int32_t number) {
    std::vector<std::uint16_t> r(kRegisters, 0);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    const std::string text = MinutesText(sample.Minutes);
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d", &year, &month, &day, &hour, &minute) != 5) {
        throw std::logic_error("bad sample time " + text);
    }
    r[1] = static_cast<std::uint16_t>(number);
    r[3] = static_cast<std::uint16_t>(year);
    r[4] = static_cast<std::uint16_t>(month);
    r[5] = static_cast<std::uint16_t>(day);
    r[6] = static_cast<std::uint16_t>(hour);
    r[7] = static_cast<std::uint16_t>(minute);
    r[13] = sample.CellCondition;
    r[14] = sample.LaserCondition;
    r[15] = sample.FlowRate;
    PutCounts(r, 33, sample.Counts1);
    PutCounts(r, 51, sample.TotalCounts);
    r[64] = sample.PpbWhole1;
    r[65] = sample.PpbHundredths1;
    return r;
}

std::vector<std::uint16_t> ErasedBlock() {
    return std::vector<std::uint16_t>(kRegisters, 65535);
}

TRecordItem Item(const TSample& sample, std::int32_t number) {
    return *TRecordItem::FromRegisters(Block(sample, number), number, 0);
}

std::vector<TArchivedRecord> ArchivedRecords(const std::vector<TSample>& samples) {
    std::vector<TArchivedRecord> records;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto number = static_cast<std::int32_t>(i + 1);
        records.push_back({number, Block(samples[i], number), "2024-01-02T00:00:00Z"});
    }
    return records;
}

TTrendData Data(const std::vector<TSample>& samples) {
    TTrendDataBuilder builder;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        builder.Add(Item(samples[i], static_cast<std::int32_t>(i)), static_cast<std::int32_t>(i));
    }
    return builder.Finish();
}

} // namespace TrendTest
