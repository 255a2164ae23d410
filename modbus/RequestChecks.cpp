#include "RequestChecks.h"

#include "CorvaneError.h"

namespace Corvane {

void CheckBitRange(std::uint16_t start, std::int64_t count, std::int64_t maxCount) {
    if (count < 1 || count > maxCount) {
        throw ECorvaneError(msgDiscreteCountInvalid, {maxCount});
    }
    if (start + count - 1 > 65535) {
        throw ECorvaneError(msgStartingDiscreteInvalid, {std::int64_t{start}});
    }
}

void CheckRegisterRange(std::uint16_t start, std::int64_t count, std::int64_t maxCount) {
    if (count < 1 || count > maxCount) {
        throw ECorvaneError(msgRegisterCountInvalid, {maxCount});
    }
    if (start + count - 1 > 65535) {
        throw ECorvaneError(msgStartingRegisterInvalid, {std::int64_t{start}});
    }
}

} // namespace Corvane
