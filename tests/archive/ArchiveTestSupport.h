// Helpers of the archive tests: record blocks stamped with a chosen minute, archive files in a
// temporary folder, and a small file system of its own (a tmpfs mount) that can be filled or
// made read-only.
#pragma once

#include "ArchiveTypes.h"
#include "ExportTestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ArchiveTest {

// The fake instrument's registers of record `number`, dated `minute` minutes after
// 2024-01-01 00:00 (registers 3..7).
std::vector<std::uint16_t> Block(std::int32_t number, std::int64_t minute);
// The date-time text of such a block.
std::string DateTimeOfMinute(std::int64_t minute);
Sondrel::TArchivedRecord Record(std::int32_t number, std::int64_t minute);
// Records first..first+count-1, record n dated minute base + n.
std::vector<Sondrel::TArchivedRecord> Records(std::int32_t first, std::int32_t count,
                                              std::int64_t base = 0);

Sondrel::TInstrumentDescription Instrument(const std::string& name = "bench counter");

// A tmpfs of `bytes` mounted on a new temporary folder, removed when the object goes. Mounting
// needs root: Mounted() says whether it worked (tests skip otherwise).
class TScratchMount {
public:
    explicit TScratchMount(std::size_t bytes);
    ~TScratchMount();
    TScratchMount(const TScratchMount&) = delete;
    TScratchMount& operator=(const TScratchMount&) = delete;

    bool Mounted() const { return FMounted; }
    std::string File(const std::string& name) const { return FFolder.File(name); }
    // Remounts it read-only; false when that failed.
    bool MakeReadOnly();

private:
    ExportTest::TTempFolder FFolder;
    bool FMounted = false;
};

} // namespace ArchiveTest
