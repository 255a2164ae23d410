#include "LocalTime.h"

namespace Corvane {

std::tm LocalTimeOf(std::time_t t) {
    std::tm tm{};
    localtime_s(&tm, &t);
    return tm;
}

} // namespace Corvane
