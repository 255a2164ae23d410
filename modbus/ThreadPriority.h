// Worker thread priorities mapped to the platform.
#pragma once

#include "ModbusTypes.h"

#include <cstdint>

namespace Corvane {

// An id of the calling thread that ApplyThreadPriority understands.
std::int64_t CurrentThreadId();

// Applies the priority to the thread. A change that the process may not make (raising the
// priority without privileges) is not an error: the thread keeps what it has, and the
// function returns false.
bool ApplyThreadPriority(std::int64_t threadId, TThreadPriority priority);

} // namespace Corvane
