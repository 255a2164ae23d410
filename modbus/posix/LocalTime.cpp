#include "LocalTime.h"

namespace Corvane {

std::tm LocalTimeOf(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

} // namespace Corvane
