// The one place of the Win32 layer where a Windows error code (GetLastError) becomes a
// library error. The message id names what failed, and so the exact text the user sees; the
// system's reason is kept per thread for LastSerialLineErrorDetail() and fills the "%s" of
// the generic line failure.
// Any thread; the kept reason is the calling thread's own.
#pragma once

#include "CorvaneError.h"

#include <string>

namespace Corvane {

// The system's explanation of a Windows error code without its trailing line break, or
// "Windows error N" when the system has none.
std::string Win32ErrorText(unsigned long code);

// The library error for a failed Windows call that reported code.
ECorvaneError Win32Error(TCorvaneMessage id, unsigned long code);

} // namespace Corvane
