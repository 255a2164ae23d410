// Records for the trend tests: register blocks with a chosen date-time and chosen values, and
// trend data built from them.
#pragma once

#include "ArchiveTypes.h"
#include "RecordItem.h"
#include "TrendData.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace TrendTest {

// The values of one record that the tests choose; everything else is 0.
struct TSample {
    std::int64_t Minutes = 0; // minutes since 1970-01-01 00:00 (see RecordMinutes)
    std::uint32_t Counts1 = 0;
    std::uint32_t TotalCounts = 0;
    std::uint16_t PpbWhole1 = 0; // PPB 1 = PpbWhole1 + PpbHundredths1 / 100
    std::uint16_t PpbHundredths1 = 0;
    std::uint16_t FlowRate = 0;
    std::uint16_t CellCondition = 0;
    std::uint16_t LaserCondition = 0;
};

// Minutes of 2024-01-01 00:00.
std::int64_t Base();

// `count` samples a minute apart from Base() + start; fill(i, sample) gives sample i its values.
std::vector<TSample> Minutely(std::size_t count, std::int64_t start,
                              const std::function<void(std::size_t, TSample&)>& fill);

// The 104 registers of a record with the sample's values (record number `number`).
std::vector<std::uint16_t> Block(const TSample& sample, std::int32_t number = 0);
// A block of erased memory (65535 everywhere).
std::vector<std::uint16_t> ErasedBlock();
Sondrel::TRecordItem Item(const TSample& sample, std::int32_t number = 0);

// The samples as records to archive, record number i + 1 for sample i.
std::vector<Sondrel::TArchivedRecord> ArchivedRecords(const std::vector<TSample>& samples);

// Trend data of the samples, row i for sample i.
Sondrel::TTrendData Data(const std::vector<TSample>& samples);

} // namespace TrendTest
