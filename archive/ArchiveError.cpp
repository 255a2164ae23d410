#include "ArchiveError.h"

namespace Sondrel {

EArchiveError::EArchiveError(TArchiveFault fault, const std::string& location,
                             const std::string& cause)
    : std::runtime_error("Cannot use the archive \"" + location + "\": " + cause), FFault(fault),
      FLocation(location), FCause(cause) {}

} // namespace Sondrel
