#include "ExcursionCommands.h"

#include "ArchiveRange.h"

#include "ArchiveTrend.h"
#include "ConsoleFileError.h"
#include "ExcursionAcks.h"
#include "Excursions.h"
#include "LimitsEditing.h"
#include "LimitsFile.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <map>
#include <sstream>
#include <tuple>

namespace SondrelCli {

using namespace Sondrel;
using SondrelOptions::EUsageError;

namespace {

// A text of the archive or the limits file on one line of text output: control characters
// (tabs, line breaks of a comment) become spaces.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        const auto u = static_cast<unsigned char>(c);
        c = u < 0x20 || u == 0x7F ? ' ' : c;
    }
    return line;
}

// A JSON string: every character that JSON escapes escaped, and a byte that is no UTF-8 (a
// name from the instrument or a hand-edited archive) as U+FFFD.
std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8CharacterLength(text, at);
        if (length == 0) {
            json += "\\ufffd";
            ++at;
            continue;
        }
        const char c = text[at];
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c == '\t') {
            json += "\\t";
        } else if (u < 0x20 || u == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned{u});
            json += escaped;
        } else {
            json.append(text, at, length);
        }
        at += length;
    }
    return json + "\"";
}

// A number of JSON: finite, or null.
std::string JsonNumber(double value) {
    return std::isfinite(value) ? LimitValueText(value) : "null";
}

struct TInstrumentLimitsRead {
    TInstrumentSummary Instrument;
    TInstrumentLimits Limits;
};

// The instruments of --instrument (or all), with their limits; the file's problems on
// standard error.
std::vector<TInstrumentLimitsRead> InstrumentsWithLimits(IArchiveStore& store,
                                                         const SondrelOptions::TCommandLine& line) {
    const TLimitsFile file(LimitsPathOption(line));
    std::optional<std::int64_t> only;
    if (const auto instrument = line.Value("instrument")) {
        only = FindInstrument(store, *instrument);
    }
    std::vector<TInstrumentLimitsRead> found;
    for (const TInstrumentSummary& instrument : store.Instruments()) {
        if (only && instrument.Id != *only) {
            continue;
        }
        TLimitsRead read = file.Read(instrument.Identity);
        for (const std::string& problem : read.Problems) {
            std::cerr << "sondrel-cli: " << file.Path().string() << ": " << OneLine(problem)
                      << " (ignored)\n";
        }
        found.push_back({instrument, read.Limits});
    }
    return found;
}

struct TFoundExcursion {
    const TInstrumentSummary* Instrument;
    TExcursion Excursion;
    const TExcursionAck* Ack;
};

void WriteText(const std::vector<TFoundExcursion>& found,
               const std::vector<const TInstrumentSummary*>& withoutLimits) {
    for (const TInstrumentSummary* instrument : withoutLimits) {
        std::cout << "Instrument " << instrument->Id << " (" << OneLine(instrument->Name)
                  << "): no limits set (see sondrel-cli archive limits)\n";
    }
    std::cout << "Instrument\tSeries\tLimit kind\tStart\tEnd\tPeak\tLimit\tRecords\t"
                 "Acknowledgement\n";
    for (const TFoundExcursion& f : found) {
        const TExcursion& e = f.Excursion;
        std::cout << f.Instrument->Id << " (" << OneLine(f.Instrument->Name) << ")\t"
                  << SeriesName(e.Series) << '\t' << LimitKindKey(e.Kind) << '\t' << e.Start()
                  << '\t' << e.End() << '\t' << LimitValueText(e.Peak) << '\t'
                  << LimitValueText(e.Limit) << '\t' << e.Points << '\t';
        if (f.Ack != nullptr) {
            std::cout << "acknowledged by " << OneLine(f.Ack->AcknowledgedBy) << " at "
                      << f.Ack->AcknowledgedAt << ": " << OneLine(f.Ack->Comment) << '\n';
        } else {
            std::cout << "not acknowledged\n";
        }
    }
}

void WriteJson(const std::vector<TFoundExcursion>& found) {
    std::cout << "[";
    const char* separator = "\n";
    for (const TFoundExcursion& f : found) {
        const TExcursion& e = f.Excursion;
        std::cout << separator << "  {\"instrument_id\": " << f.Instrument->Id
                  << ", \"instrument\": " << JsonString(f.Instrument->Name)
                  << ", \"identity\": " << JsonString(f.Instrument->Identity)
                  << ", \"series\": " << JsonString(SeriesKey(e.Series))
                  << ", \"series_name\": " << JsonString(SeriesName(e.Series))
                  << ", \"limit_kind\": " << JsonString(LimitKindKey(e.Kind))
                  << ", \"start\": " << JsonString(e.Start())
                  << ", \"end\": " << JsonString(e.End()) << ", \"peak\": " << JsonNumber(e.Peak)
                  << ", \"limit\": " << JsonNumber(e.Limit) << ", \"records\": " << e.Points
                  << ", \"acknowledged\": " << (f.Ack != nullptr ? "true" : "false");
        if (f.Ack != nullptr) {
            std::cout << ", \"acknowledged_by\": " << JsonString(f.Ack->AcknowledgedBy)
                      << ", \"acknowledged_at\": " << JsonString(f.Ack->AcknowledgedAt)
                      << ", \"comment\": " << JsonString(f.Ack->Comment);
        } else {
            std::cout << ", \"acknowledged_by\": null, \"acknowledged_at\": null, "
                         "\"comment\": null";
        }
        std::cout << "}";
        separator = ",\n";
    }
    std::cout << (found.empty() ? "]\n" : "\n]\n");
}

// "a,b,c" as its items; empty items are a usage error.
std::vector<std::string> ListItems(const std::string& text, const std::string& what) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) {
        if (item.empty()) {
            throw EUsageError(what + ": an empty item in '" + text + "'");
        }
        items.push_back(item);
    }
    if (items.empty()) {
        throw EUsageError(what + " needs KEY" + (what == "--set" ? "=VALUE" : "") + " items");
    }
    return items;
}

TLimitKey LimitKeyOption(const std::string& text, const std::string& what) {
    const auto key = ParseLimitKey(text);
    if (!key) {
        throw EUsageError(what + ": '" + text +
                          "' is no limit (SERIES.KIND, e.g. counts1.alert_high or "
                          "flow_rate.action_low)");
    }
    return *key;
}

} // namespace

std::filesystem::path LimitsPathOption(const SondrelOptions::TCommandLine& line) {
    const auto path = line.Value("limits");
    if (path && path->empty()) {
        throw EUsageError("--limits needs a file name");
    }
    return path ? std::filesystem::path(*path) : TLimitsFile::DefaultPath();
}

int ArchiveExcursions(IArchiveStore& store, const SondrelOptions::TCommandLine& line) {
    TRecordQuery query;
    if (const auto from = line.Value("from")) {
        query.From = RangeEnd(*from, false, "--from");
    }
    if (const auto to = line.Value("to")) {
        query.To = RangeEnd(*to, true, "--to");
    }
    const std::vector<TInstrumentLimitsRead> instruments = InstrumentsWithLimits(store, line);
    std::vector<TFoundExcursion> found;
    std::vector<const TInstrumentSummary*> withoutLimits;
    // Every acknowledgement is read before `found` points into them.
    std::vector<std::vector<TExcursionAck>> acksOf(instruments.size());
    for (std::size_t i = 0; i < instruments.size(); ++i) {
        if (instruments[i].Limits.Any()) {
            acksOf[i] = store.ExcursionAcks(instruments[i].Instrument.Id, query.From, query.To);
        }
    }
    for (std::size_t i = 0; i < instruments.size(); ++i) {
        const TInstrumentLimitsRead& instrument = instruments[i];
        if (!instrument.Limits.Any()) {
            withoutLimits.push_back(&instrument.Instrument);
            continue;
        }
        std::map<std::tuple<std::string, std::string, std::string>, const TExcursionAck*> byKey;
        for (const TExcursionAck& ack : acksOf[i]) {
            byKey[{ack.Series, ack.LimitKind, ack.StartedAt}] = &ack;
        }
        query.InstrumentId = instrument.Instrument.Id;
        const TTrendData data = LoadArchiveTrend(store, query);
        for (const TExcursion& excursion : FindExcursions(data, instrument.Limits)) {
            const auto ack = byKey.find(
                {SeriesKey(excursion.Series), LimitKindKey(excursion.Kind), excursion.Start()});
            found.push_back(
                {&instrument.Instrument, excursion, ack != byKey.end() ? ack->second : nullptr});
        }
    }
    if (line.Flag("json")) {
        WriteJson(found);
    } else {
        WriteText(found, withoutLimits);
    }
    return 0;
}

int ArchiveLimits(IArchiveStore& store, const SondrelOptions::TCommandLine& line) {
    const auto named = line.Value("instrument");
    if (!named) {
        throw EUsageError("archive limits needs --instrument ID");
    }
    const std::int64_t id = FindInstrument(store, *named);
    std::optional<TInstrumentSummary> instrument;
    for (const TInstrumentSummary& i : store.Instruments()) {
        if (i.Id == id) {
            instrument = i;
        }
    }
    if (!instrument) {
        throw EUsageError("--instrument: the archive has no instrument '" + *named + "'");
    }
    TLimitsFile file(LimitsPathOption(line));
    TLimitsRead read = file.Read(instrument->Identity);
    for (const std::string& problem : read.Problems) {
        std::cerr << "sondrel-cli: " << file.Path().string() << ": " << OneLine(problem)
                  << " (ignored)\n";
    }
    TInstrumentLimits limits = read.Limits;
    const bool change = line.Has("set") || line.Has("clear");
    if (const auto set = line.Value("set")) {
        for (const std::string& item : ListItems(*set, "--set")) {
            const std::size_t equals = item.find('=');
            if (equals == std::string::npos) {
                throw EUsageError("--set: '" + item + "' is not KEY=VALUE");
            }
            const TLimitKey key = LimitKeyOption(item.substr(0, equals), "--set");
            const auto value = ParseLimitValue(item.substr(equals + 1));
            if (!value) {
                throw EUsageError("--set: '" + item.substr(equals + 1) + "' is not a number");
            }
            limits.Of(key.Series).Set(key.Kind, *value);
        }
    }
    if (const auto clear = line.Value("clear")) {
        for (const std::string& item : ListItems(*clear, "--clear")) {
            const TLimitKey key = LimitKeyOption(item, "--clear");
            limits.Of(key.Series).Set(key.Kind, std::nullopt);
        }
    }
    if (change) {
        if (const auto problem = InstrumentLimitsProblem(limits)) {
            std::cerr << "sondrel-cli: the limits are not changed: " << *problem << "\n";
            return 1;
        }
        try {
            file.Write(instrument->Identity, limits);
        } catch (const EConsoleFileError& e) {
            std::cerr << "sondrel-cli: " << e.what() << "\n";
            return 1;
        } catch (const std::invalid_argument& e) {
            std::cerr << "sondrel-cli: " << e.what() << "\n";
            return 1;
        }
    }
    std::cout << "Limits of instrument " << instrument->Id << " (" << OneLine(instrument->Name)
              << ") in " << file.Path().string() << ":\n";
    bool any = false;
    for (const TTrendSeries series : AllTrendSeries()) {
        for (const TLimitKind kind : AllLimitKinds()) {
            if (const auto value = limits.Of(series).Of(kind)) {
                std::cout << LimitKeyText(series, kind) << '=' << LimitValueText(*value) << '\n';
                any = true;
            }
        }
    }
    if (!any) {
        std::cout << "none set\n";
    }
    return 0;
}

} // namespace SondrelCli
