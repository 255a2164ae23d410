// What "sondrel-cli collect" collects: the lines, the instruments on each, the archive and the
// schedule, read from a TOML file or from the command line's --instrument options.
//
// The file (every key optional unless said otherwise; any other key is refused):
//
//   archive = "sqlite:/var/lib/sondrel/site.sqlite"  # or a PostgreSQL connection string
//   every-minutes = 15                               # a round every 15 minutes
//
//   [[line]]
//   name = "bay-1"             # for messages (default: the port)
//   port = "/dev/ttyUSB0"      # required
//   baud = 115200              # and the other line options of the command line, by the
//   timing = "standard"        # same names and values: data-bits, parity, stop-bits, flow,
//                              # mode, timing, timeout, retries
//   [[line.instrument]]
//   name = "north"             # required, unique in the file
//   address = 1                # required, 1..247
//   pacing = "line"            # the waits: line (default), fast, default or slow
//   first-records = 62000      # what the first download reads (the most recent records)
//
// A bad file is refused as a whole, naming the file, the line and the key
// ("site.toml: line "bay-1": key "baud": ...").
//
// Threads: any; pure functions.
#pragma once

#include "LineOptions.h"

#include "DownloadHost.h"

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace SondrelCli {

struct TCollectInstrument {
    std::string Name;
    std::uint8_t Address = 1;
    Sondrel::TDelayMenuChoice Pacing = Sondrel::dmLine;
    std::string PacingText = "line";
    // The most recent records that the first download reads, while the archive knows none of
    // the instrument's records (1..62000).
    std::int32_t FirstRecords = 62000;
};

struct TCollectLine {
    std::string Name;
    SondrelOptions::TLineOptions Line;
    // The line options as given (name -> text), to hand the line on to its collector process.
    std::map<std::string, std::string> LineSettings;
    std::vector<TCollectInstrument> Instruments;
};

struct TCollectPlan {
    std::optional<std::string> Archive;
    std::uint32_t EveryMinutes = 0; // 0: not given
    std::vector<TCollectLine> Lines;
};

class ECollectConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The plan of a file's text; source names the file in messages.
TCollectPlan ParseCollectConfig(const std::string& text, const std::string& source);

// The plan of --instrument NAME=PORT@ADDRESS options, with the same line settings (option name
// -> text) for every port; instruments of one port share its line, in the order given.
TCollectPlan PlanOfInstrumentOptions(const std::vector<std::string>& instruments,
                                     const std::map<std::string, std::string>& lineSettings,
                                     std::int32_t firstRecords = 62000);

// One line's work for its collector process: the line, the archive and the output form, as a
// TOML text (it goes to the process's standard input, never its command line), and back.
struct TLineJob {
    TCollectLine Line;
    std::string Archive;
    bool Json = false;
    bool Colour = false;
    std::uint32_t Round = 1;
};
std::string LineJobText(const TLineJob& job);
TLineJob ParseLineJob(const std::string& text);

} // namespace SondrelCli
