// What the archive commands read alike from their options: the ends of a date-time range and
// the instrument that a text names.
#pragma once

#include "ArchiveStore.h"

#include <cstdint>
#include <string>

namespace SondrelCli {

// "YYYY-MM-DD" (the day's first or last minute) or "YYYY-MM-DD HH:MM" as a record date-time;
// a usage error naming the option (`what`) otherwise.
std::string RangeEnd(const std::string& text, bool last, const std::string& what);

// The instrument a text names: its id, its name or its identity; a usage error otherwise.
std::int64_t FindInstrument(Sondrel::IArchiveStore& store, const std::string& text);

} // namespace SondrelCli
