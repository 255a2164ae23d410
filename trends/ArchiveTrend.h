// The trend of an archive range: every stored record of a query's range (read a page at a time,
// in date-time order) turned into trend data, the rows numbered in that order.
//
// Threads: the store's.
#pragma once

#include "ArchiveStore.h"
#include "TrendData.h"

#include <cstdint>
#include <functional>

namespace Sondrel {

// progress(done, total) after every page; it returns false to stop the reading (what was read
// is kept). Raises what the store raises.
TTrendData LoadArchiveTrend(IArchiveStore& store, TRecordQuery query,
                            const std::function<bool(std::int64_t, std::int64_t)>& progress = {});

} // namespace Sondrel
