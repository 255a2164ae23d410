#include "ArchiveTypes.h"

#include <cstdio>

namespace Sondrel {

std::string RecordDateTime(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                           std::uint16_t hour, std::uint16_t minute) {
    char text[40];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", unsigned{year}, unsigned{month},
                  unsigned{day}, unsigned{hour}, unsigned{minute});
    return text;
}

std::optional<std::string> BlockDateTime(const std::vector<std::uint16_t>& registers) {
    if (registers.size() < 8) {
        return std::nullopt;
    }
    return RecordDateTime(registers[3], registers[4], registers[5], registers[6], registers[7]);
}

bool IsEmptyRecordBlock(const std::vector<std::uint16_t>& registers) {
    return registers.empty() || registers[0] == 65535;
}

} // namespace Sondrel
