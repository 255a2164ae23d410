// The collector's output: one line per instrument per round, as text or as one JSON object.
//
// Text: "<round> <name> <outcome> <n> records added in <s> s" and, for a failure, ": <reason>";
// the outcome is coloured (green collected, red failed, yellow stopped) only when the output
// is a terminal. JSON: {"round":N,"name":...,"line":...,"address":N,"outcome":"collected"|
// "failed"|"stopped","records_added":N,"duration_s":S,"reason":...}.
//
// Threads: any; pure functions.
#pragma once

#include <cstdint>
#include <string>

namespace SondrelCli {

enum class TCollectOutcome { Collected, Failed, Stopped };

struct TInstrumentReport {
    std::uint32_t Round = 0;
    std::string Name;
    std::string Line;
    std::uint8_t Address = 0;
    TCollectOutcome Outcome = TCollectOutcome::Failed;
    std::int64_t RecordsAdded = 0;
    double DurationSeconds = 0;
    std::string Reason; // why it failed or stopped; empty when collected
};

const char* OutcomeName(TCollectOutcome outcome);
// The line without its line break.
std::string ReportText(const TInstrumentReport& report, bool colour);
std::string ReportJson(const TInstrumentReport& report);
// A JSON string literal of the text (quotes included); bytes that are no valid UTF-8 become
// U+FFFD.
std::string JsonString(const std::string& text);

} // namespace SondrelCli
