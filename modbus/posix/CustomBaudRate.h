// Platform quirk: speeds that termios has no B-constant for.
#pragma once

#include <cstdint>

namespace Corvane {

// Sets input and output speed of the open terminal fd to any rate in bits per second,
// keeping every other setting. Returns false with errno set when the platform cannot
// (errno ENOTSUP where no arbitrary-speed interface exists).
bool SetCustomBaudRate(int fd, std::uint32_t baudRate);

} // namespace Corvane
