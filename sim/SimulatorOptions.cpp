#include "SimulatorOptions.h"

#include "CommandLine.h"

#include <string>

namespace SondrelSim {

using SondrelOptions::EUsageError;
using SondrelOptions::ParseInteger;

namespace {

std::uint32_t Count(const SondrelOptions::TCommandLine& line, const std::string& name,
                    std::uint32_t fallback, std::int64_t max = 4294967295LL) {
    const auto text = line.Value(name);
    return text ? static_cast<std::uint32_t>(ParseInteger(*text, 0, max, "--" + name)) : fallback;
}

// F:R or F:R:N, each a decimal number: function 1..127, register 0..65535, occurrence >= 1.
TRequestMatch ParseRequestMatch(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t colon = text.find(':', from);
        fields.push_back(text.substr(from, colon - from));
        if (colon == std::string::npos) {
            break;
        }
        from = colon + 1;
    }
    if (fields.size() < 2 || fields.size() > 3) {
        throw EUsageError("--drop-request: '" + text + "' is not FUNCTION:REGISTER[:N]");
    }
    TRequestMatch match;
    match.Function = static_cast<std::uint8_t>(ParseInteger(fields[0], 1, 127, "--drop-request"));
    match.Register =
        static_cast<std::uint16_t>(ParseInteger(fields[1], 0, 65535, "--drop-request"));
    if (fields.size() == 3) {
        match.Occurrence =
            static_cast<std::uint32_t>(ParseInteger(fields[2], 1, 4294967295LL, "--drop-request"));
    }
    return match;
}

} // namespace

const char* SimulatorHelp() {
    static const std::string text =
        std::string(
            "Usage: sondrel-sim (--pty | --port DEVICE) [options]\n"
            "  The particle counter's Modbus server with a simulated circular log of 62001\n"
            "  records. With --pty a new pseudo-terminal is created and its path printed on\n"
            "  the first line of standard output. Stops on SIGINT or SIGTERM.\n\n"
            "Instrument:\n"
            "  --pty                  serve on a new pseudo-terminal\n"
            "  --address N            the instrument's server address 1..247 (default 1)\n"
            "  --addresses A,B,...    several instruments on the one line, one at each address,\n"
            "                         each with its own log (seed S, S+1, ... in that order)\n"
            "  --current N            current record number 0..62000 (default 10)\n"
            "  --filled N             records holding data, counting back from the current one,\n"
            "                         0..62001 (default 62001: the whole log)\n"
            "  --seed S               seed of the record contents (default 1)\n"
            "  --time 'YYYY-MM-DD HH:MM'  time stamp of the current record (default: now)\n"
            "  --sample-period S      seconds between two new records while acquiring\n"
            "                         (default 60; 0: the log never grows)\n"
            "  --sample-ms N          the same in milliseconds (a log that grows fast)\n"
            "  --no-server-id         refuse Report Server ID (function 17) with exception 01\n"
            "  --verbose              one line per request on standard error\n"
            "  --wire-time            answer only once the request and the reply would have\n"
            "                         crossed a real line at --baud (plus the 3.5-character\n"
            "                         pause between them); a pseudo-terminal moves bytes at\n"
            "                         once. Give --timing standard too, so that the\n"
            "                         simulator's own end-of-frame silence adds nothing\n"
            "  --version              show the program's version and exit\n\n"
            "Line faults (0: off):\n"
            "  --drop-every K         no reply to every K-th request\n"
            "  --drop-start S         the first request --drop-every drops is the S-th\n"
            "                         (default K), then every K-th after it\n"
            "  --corrupt-every K      every K-th reply is sent with a broken check\n"
            "  --corrupt-start S      the first reply --corrupt-every breaks is the S-th\n"
            "  --drop-request F:R[:N] no reply to exactly one request: the N-th (default 1st)\n"
            "                         of function F at first register R (3:2, the first read\n"
            "                         of the current record's high word)\n"
            "  --delay-ms D           every reply is sent D ms late (at most 60000)\n"
            "  --silent-register R    no reply to any write of register R (0..65535), which\n"
            "                         is not carried out either\n\n"
            "Line options:\n") +
        SondrelOptions::SerialLineOptionsHelp();
    return text.c_str();
}

TSimulatorOptions ParseSimulatorOptions(const std::vector<std::string>& args) {
    std::set<std::string> valueOptions = SondrelOptions::SerialLineOptionNames();
    valueOptions.insert({"address", "addresses", "current", "filled", "seed", "time",
                         "sample-period", "sample-ms", "drop-every", "corrupt-every", "delay-ms",
                         "silent-register", "drop-start", "corrupt-start", "drop-request"});
    const SondrelOptions::TCommandLine line(
        args, valueOptions, {"pty", "verbose", "help", "wire-time", "version", "no-server-id"});
    TSimulatorOptions options;
    if (line.Flag("help")) {
        options.Help = true;
        return options;
    }
    if (line.Flag("version")) {
        options.Version = true;
        return options;
    }
    if (!line.Positional().empty()) {
        throw EUsageError("unexpected argument '" + line.Positional().front() + "'");
    }
    options.UsePty = line.Flag("pty");
    if (options.UsePty == line.Has("port")) {
        throw EUsageError("give either --pty or --port DEVICE");
    }
    options.Line = SondrelOptions::ParseLineOptions(line, !options.UsePty);
    if (line.Has("address") && line.Has("addresses")) {
        throw EUsageError("give --address or --addresses, not both");
    }
    if (const auto address = line.Value("address")) {
        options.Addresses = {
            static_cast<std::uint8_t>(ParseInteger(*address, 1, 247, "--address"))};
    }
    if (const auto list = line.Value("addresses")) {
        options.Addresses.clear();
        std::size_t from = 0;
        for (;;) {
            const std::size_t comma = list->find(',', from);
            const auto address = static_cast<std::uint8_t>(
                ParseInteger(list->substr(from, comma - from), 1, 247, "--addresses"));
            for (const std::uint8_t taken : options.Addresses) {
                if (taken == address) {
                    throw EUsageError("--addresses: " + std::to_string(address) +
                                      " is given twice");
                }
            }
            options.Addresses.push_back(address);
            if (comma == std::string::npos) {
                break;
            }
            from = comma + 1;
        }
    }
    TInstrumentSettings& instrument = options.Instrument;
    if (const auto current = line.Value("current")) {
        instrument.CurrentRecord =
            static_cast<int>(ParseInteger(*current, 0, kLastRecordNumber, "--current"));
    }
    if (const auto filled = line.Value("filled")) {
        instrument.FilledCount =
            static_cast<int>(ParseInteger(*filled, 0, kRecordCount, "--filled"));
    }
    if (const auto seed = line.Value("seed")) {
        instrument.Seed = static_cast<std::uint64_t>(ParseInteger(*seed, 0, INT64_MAX, "--seed"));
    }
    if (const auto time = line.Value("time")) {
        const auto parsed = TRecordTime::Parse(*time);
        if (!parsed) {
            throw EUsageError("--time: '" + *time + "' is not a date and time YYYY-MM-DD HH:MM");
        }
        instrument.CurrentTime = *parsed;
    } else {
        instrument.CurrentTime = TRecordTime::Now();
    }
    if (line.Has("sample-period") && line.Has("sample-ms")) {
        throw EUsageError("give --sample-period or --sample-ms, not both");
    }
    if (line.Has("sample-ms")) {
        options.SamplePeriodMs = Count(line, "sample-ms", options.SamplePeriodMs);
    } else {
        options.SamplePeriodMs =
            1000 * Count(line, "sample-period", options.SamplePeriodMs / 1000, 4294967);
    }
    options.AnswersServerId = !line.Flag("no-server-id");
    options.Faults.DropEvery = Count(line, "drop-every", 0);
    options.Faults.CorruptEvery = Count(line, "corrupt-every", 0);
    options.Faults.DelayMs = Count(line, "delay-ms", 0, 60000);
    if (const auto silent = line.Value("silent-register")) {
        options.Faults.SilentRegister =
            static_cast<std::uint16_t>(ParseInteger(*silent, 0, 65535, "--silent-register"));
    }
    options.Faults.DropStart = Count(line, "drop-start", 0);
    options.Faults.CorruptStart = Count(line, "corrupt-start", 0);
    if (const auto chosen = line.Value("drop-request")) {
        options.Faults.DropRequest = ParseRequestMatch(*chosen);
    }
    options.Verbose = line.Flag("verbose");
    options.WireTime = line.Flag("wire-time");
    return options;
}

} // namespace SondrelSim
