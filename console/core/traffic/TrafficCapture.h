// The capture files of the traffic view, and the trace line of the CLI: a CSV file (one
// header line, one line per frame, fields quoted as needed) and a plain-text capture (one
// aligned line per frame). Saving goes through ReplaceFileContents, so a failed save never
// leaves a half-written file.
//
// Qt-free; pure functions.
#pragma once

#include "TrafficStore.h"

#include <filesystem>
#include <string>

namespace Sondrel {

enum TTrafficCaptureFormat : std::uint8_t { tcfCsv, tcfText };

// "Time,Direction,Bytes,Meaning,Status,Gap (us),Response (us)"
std::string TrafficCsvHeader();
std::string TrafficCsvLine(const TTrafficRow& row);
// "12:00:01.123456  Sent      01 03 00 00 00 01 84 0A  Read Holding ...  OK  gap 1.000 ms"
std::string TrafficTextLine(const TTrafficRow& row);

std::string TrafficCapture(const TTrafficStore& store, TTrafficCaptureFormat format);
// Writes the capture all-or-nothing; raises EConsoleFileError naming the path on failure.
void SaveTrafficCapture(const std::filesystem::path& path, const TTrafficStore& store,
                        TTrafficCaptureFormat format);

} // namespace Sondrel
