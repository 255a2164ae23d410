#include "CollectConfig.h"

#include "CommandLine.h"

#include <toml++/toml.h>

#include <set>
#include <sstream>

namespace SondrelCli {

using SondrelOptions::EUsageError;

namespace {

// The keys of a job that a file does not have.
constexpr const char* kJobJson = "json";
constexpr const char* kJobColour = "colour";
constexpr const char* kJobRound = "round";

const std::map<std::string, std::pair<Sondrel::TDelayMenuChoice, const char*>>& Pacings() {
    static const std::map<std::string, std::pair<Sondrel::TDelayMenuChoice, const char*>> map = {
        {"line", {Sondrel::dmLine, "line"}},
        {"fast", {Sondrel::dmFast, "fast"}},
        {"default", {Sondrel::dmDefault, "default"}},
        {"slow", {Sondrel::dmSlow, "slow"}}};
    return map;
}

// The line options that a line of the file may set: all but the instrument's address.
std::set<std::string> LineKeys() {
    std::set<std::string> keys = SondrelOptions::LineOptionNames();
    keys.erase("address");
    return keys;
}

// A name that may stand on an output line: printable, without line breaks.
bool IsPrintableName(const std::string& name) {
    if (name.empty() || name.size() > 200) {
        return false;
    }
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return true;
}

class TReader {
public:
    TReader(std::string source, bool job) : FSource(std::move(source)), FJob(job) {}

    [[noreturn]] void Fail(const std::string& where, const std::string& why) const {
        throw ECollectConfigError(FSource + ": " + where + why);
    }

    // A string or a whole number, as text.
    std::string Scalar(const toml::node& node, const std::string& where) const {
        if (const auto* text = node.as_string()) {
            return text->get();
        }
        if (const auto* number = node.as_integer()) {
            return std::to_string(number->get());
        }
        Fail(where, "must be a text or a whole number");
    }

    std::string Text(const toml::node& node, const std::string& where) const {
        if (const auto* text = node.as_string()) {
            return text->get();
        }
        Fail(where, "must be a text");
    }

    std::int64_t Integer(const toml::node& node, const std::string& where, std::int64_t min,
                         std::int64_t max) const {
        const auto* number = node.as_integer();
        if (number == nullptr) {
            Fail(where, "must be a whole number");
        }
        if (number->get() < min || number->get() > max) {
            Fail(where, "must be " + std::to_string(min) + ".." + std::to_string(max));
        }
        return number->get();
    }

    TCollectInstrument Instrument(const toml::table& table, const std::string& lineWhere,
                                  std::size_t index) const {
        TCollectInstrument instrument;
        std::string where = lineWhere + "instrument " + std::to_string(index + 1) + ": ";
        if (const toml::node* name = table.get("name")) {
            instrument.Name = Text(*name, where + "key \"name\": ");
            if (!IsPrintableName(instrument.Name)) {
                Fail(where + "key \"name\": ", "must be 1..200 printable characters");
            }
            where = lineWhere + "instrument \"" + instrument.Name + "\": ";
        } else {
            Fail(where, "has no \"name\"");
        }
        bool hasAddress = false;
        for (const auto& [key, value] : table) {
            const std::string k(key.str());
            const std::string at = where + "key \"" + k + "\": ";
            if (k == "name") {
                continue;
            }
            if (k == "address") {
                instrument.Address = static_cast<std::uint8_t>(Integer(value, at, 1, 247));
                hasAddress = true;
            } else if (k == "pacing") {
                const std::string pacing = Text(value, at);
                const auto found = Pacings().find(pacing);
                if (found == Pacings().end()) {
                    Fail(at, "\"" + pacing + "\" is not one of line, fast, default, slow");
                }
                instrument.Pacing = found->second.first;
                instrument.PacingText = found->second.second;
            } else if (k == "first-records") {
                instrument.FirstRecords = static_cast<std::int32_t>(Integer(value, at, 1, 62000));
            } else {
                Fail(at, "is not a key of an instrument (name, address, pacing, first-records)");
            }
        }
        if (!hasAddress) {
            Fail(where, "has no \"address\"");
        }
        return instrument;
    }

    TCollectLine Line(const toml::table& table, std::size_t index) const {
        TCollectLine line;
        std::string where = "line " + std::to_string(index + 1) + ": ";
        const toml::node* port = table.get("port");
        if (port == nullptr) {
            Fail(where, "has no \"port\"");
        }
        line.Name = Text(*port, where + "key \"port\": ");
        if (const toml::node* name = table.get("name")) {
            line.Name = Text(*name, where + "key \"name\": ");
        }
        if (!IsPrintableName(line.Name)) {
            Fail(where + "key \"name\": ", "must be 1..200 printable characters");
        }
        where = "line \"" + line.Name + "\": ";
        const std::set<std::string> lineKeys = LineKeys();
        const toml::array* instruments = nullptr;
        for (const auto& [key, value] : table) {
            const std::string k(key.str());
            const std::string at = where + "key \"" + k + "\": ";
            if (k == "name") {
                continue;
            }
            if (k == "instrument") {
                instruments = value.as_array();
                if (instruments == nullptr) {
                    Fail(at, "must be a list of tables ([[line.instrument]])");
                }
                continue;
            }
            if (lineKeys.count(k) == 0) {
                Fail(at, "is not a line option (port, baud, data-bits, parity, stop-bits, flow, "
                         "mode, timing, timeout, retries) nor name or instrument");
            }
            const std::string text = Scalar(value, at);
            // Each key checked alone, so that a bad value is named by its key.
            try {
                const std::vector<std::string> args = {"--port", "x", "--" + k, text};
                SondrelOptions::ParseLineOptions(
                    SondrelOptions::TCommandLine(args, SondrelOptions::LineOptionNames(), {}));
            } catch (const EUsageError& e) {
                Fail(at, e.what());
            }
            line.LineSettings[k] = text;
        }
        std::vector<std::string> args;
        for (const auto& [k, text] : line.LineSettings) {
            args.insert(args.end(), {"--" + k, text});
        }
        try {
            line.Line = SondrelOptions::ParseLineOptions(
                SondrelOptions::TCommandLine(args, SondrelOptions::LineOptionNames(), {}));
        } catch (const EUsageError& e) {
            Fail(where, e.what());
        }
        if (instruments == nullptr || instruments->empty()) {
            Fail(where, "has no instruments ([[line.instrument]])");
        }
        std::set<std::uint8_t> addresses;
        for (std::size_t i = 0; i < instruments->size(); ++i) {
            const toml::table* instrument = instruments->get(i)->as_table();
            if (instrument == nullptr) {
                Fail(where + "instrument " + std::to_string(i + 1) + ": ", "must be a table");
            }
            line.Instruments.push_back(Instrument(*instrument, where, i));
            if (!addresses.insert(line.Instruments.back().Address).second) {
                Fail(where + "instrument \"" + line.Instruments.back().Name + "\": ",
                     "key \"address\": " + std::to_string(line.Instruments.back().Address) +
                         " is another instrument's on this line");
            }
        }
        return line;
    }

    TCollectPlan Plan(const toml::table& root, TLineJob* job) const {
        TCollectPlan plan;
        const toml::array* lines = nullptr;
        for (const auto& [key, value] : root) {
            const std::string k(key.str());
            const std::string at = "key \"" + k + "\": ";
            if (k == "archive") {
                plan.Archive = Text(value, at);
            } else if (k == "every-minutes") {
                plan.EveryMinutes = static_cast<std::uint32_t>(Integer(value, at, 1, 10080));
            } else if (k == "line") {
                lines = value.as_array();
                if (lines == nullptr) {
                    Fail(at, "must be a list of tables ([[line]])");
                }
            } else if (FJob && job != nullptr && (k == kJobJson || k == kJobColour)) {
                const auto* flag = value.as_boolean();
                if (flag == nullptr) {
                    Fail(at, "must be true or false");
                }
                (k == kJobJson ? job->Json : job->Colour) = flag->get();
            } else if (FJob && job != nullptr && k == kJobRound) {
                job->Round = static_cast<std::uint32_t>(Integer(value, at, 1, 4294967295LL));
            } else {
                Fail(at, "is not a key of the file (archive, every-minutes, line)");
            }
        }
        if (lines == nullptr || lines->empty()) {
            Fail("", "lists no line ([[line]])");
        }
        std::set<std::string> names;
        for (std::size_t i = 0; i < lines->size(); ++i) {
            const toml::table* line = lines->get(i)->as_table();
            if (line == nullptr) {
                Fail("line " + std::to_string(i + 1) + ": ", "must be a table");
            }
            plan.Lines.push_back(Line(*line, i));
            for (const TCollectInstrument& instrument : plan.Lines.back().Instruments) {
                if (!names.insert(instrument.Name).second) {
                    Fail("line \"" + plan.Lines.back().Name + "\": instrument \"" +
                             instrument.Name + "\": ",
                         "the name is another instrument's");
                }
            }
        }
        return plan;
    }

private:
    std::string FSource;
    bool FJob;
};

toml::table ParseToml(const std::string& text, const std::string& source) {
    try {
        return toml::parse(text, source);
    } catch (const toml::parse_error& e) {
        const auto& begin = e.source().begin;
        throw ECollectConfigError(source + ":" + std::to_string(begin.line) + ":" +
                                  std::to_string(begin.column) + ": " +
                                  std::string(e.description()));
    }
}

} // namespace

TCollectPlan ParseCollectConfig(const std::string& text, const std::string& source) {
    return TReader(source, false).Plan(ParseToml(text, source), nullptr);
}

TCollectPlan PlanOfInstrumentOptions(const std::vector<std::string>& instruments,
                                     const std::map<std::string, std::string>& lineSettings,
                                     std::int32_t firstRecords) {
    TCollectPlan plan;
    std::set<std::string> names;
    for (const std::string& option : instruments) {
        const std::size_t equals = option.find('=');
        const std::size_t at = option.rfind('@');
        if (equals == std::string::npos || at == std::string::npos || at < equals || equals == 0 ||
            at == equals + 1) {
            throw EUsageError("--instrument: '" + option + "' is not NAME=PORT@ADDRESS");
        }
        TCollectInstrument instrument;
        instrument.FirstRecords = firstRecords;
        instrument.Name = option.substr(0, equals);
        if (!IsPrintableName(instrument.Name) || !names.insert(instrument.Name).second) {
            throw EUsageError("--instrument: '" + instrument.Name +
                              "' is no name of its own (printable, given once)");
        }
        instrument.Address = static_cast<std::uint8_t>(SondrelOptions::ParseInteger(
            option.substr(at + 1), 1, 247, "--instrument " + instrument.Name + " address"));
        const std::string port = option.substr(equals + 1, at - equals - 1);
        auto line = std::find_if(plan.Lines.begin(), plan.Lines.end(),
                                 [&port](const TCollectLine& l) { return l.Name == port; });
        if (line == plan.Lines.end()) {
            TCollectLine added;
            added.Name = port;
            added.LineSettings = lineSettings;
            added.LineSettings["port"] = port;
            std::vector<std::string> args;
            for (const auto& [k, text] : added.LineSettings) {
                args.insert(args.end(), {"--" + k, text});
            }
            added.Line = SondrelOptions::ParseLineOptions(
                SondrelOptions::TCommandLine(args, SondrelOptions::LineOptionNames(), {}));
            plan.Lines.push_back(std::move(added));
            line = plan.Lines.end() - 1;
        }
        for (const TCollectInstrument& other : line->Instruments) {
            if (other.Address == instrument.Address) {
                throw EUsageError("--instrument " + instrument.Name + ": address " +
                                  std::to_string(instrument.Address) + " of " + port + " is " +
                                  other.Name + "'s");
            }
        }
        line->Instruments.push_back(instrument);
    }
    return plan;
}

std::string LineJobText(const TLineJob& job) {
    toml::table line;
    line.insert("name", job.Line.Name);
    for (const auto& [key, text] : job.Line.LineSettings) {
        line.insert(key, text);
    }
    toml::array instruments;
    for (const TCollectInstrument& i : job.Line.Instruments) {
        instruments.push_back(
            toml::table{{"name", i.Name},
                        {"address", static_cast<std::int64_t>(i.Address)},
                        {"pacing", i.PacingText},
                        {"first-records", static_cast<std::int64_t>(i.FirstRecords)}});
    }
    line.insert("instrument", std::move(instruments));
    toml::table root;
    root.insert("archive", job.Archive);
    root.insert(kJobJson, job.Json);
    root.insert(kJobColour, job.Colour);
    root.insert(kJobRound, static_cast<std::int64_t>(job.Round));
    root.insert("line", toml::array{std::move(line)});
    std::ostringstream out;
    out << root << "\n";
    return out.str();
}

TLineJob ParseLineJob(const std::string& text) {
    TLineJob job;
    const TCollectPlan plan = TReader("the line's job", true).Plan(ParseToml(text, "job"), &job);
    if (plan.Lines.size() != 1 || !plan.Archive) {
        throw ECollectConfigError("the line's job names no archive or not one line");
    }
    job.Line = plan.Lines.front();
    job.Archive = *plan.Archive;
    return job;
}

} // namespace SondrelCli
