#include "LineSpeedEstimate.h"

namespace Sondrel {

namespace {

// Messages without their checks: a write of one register and its echo; a read request and the
// reply of one record block (address, function, byte count, 104 registers).
constexpr std::int32_t kWriteSize = 6;
constexpr std::int32_t kReadRequestSize = 6;
constexpr std::int32_t kBlockReplySize = 3 + 2 * 104;

} // namespace

double LineSpeedSeconds(const Corvane::TExchangeTiming& line, std::int64_t records,
                        std::int32_t setupExchanges) {
    if (line.CharacterUs <= 0) {
        return 0;
    }
    const double perRecordUs = ExchangeUs(line, kWriteSize, kWriteSize) +
                               ExchangeUs(line, kReadRequestSize, kBlockReplySize);
    const double setupUs = setupExchanges * ExchangeUs(line, kWriteSize, kWriteSize);
    return (static_cast<double>(records) * perRecordUs + setupUs) / 1e6;
}

} // namespace Sondrel
