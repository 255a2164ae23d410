#include "CommandLine.h"

#include "TextToInteger.h"

namespace SondrelOptions {

TCommandLine::TCommandLine(const std::vector<std::string>& args,
                           const std::set<std::string>& valueOptions,
                           const std::set<std::string>& flags) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            FPositional.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (flags.count(name) != 0) {
            if (inlineValue) {
                throw EUsageError("option --" + name + " takes no value");
            }
            FFlags.insert(name);
        } else if (valueOptions.count(name) != 0) {
            if (inlineValue) {
                FValues[name] = *inlineValue;
            } else if (i + 1 < args.size()) {
                FValues[name] = args[++i];
            } else {
                throw EUsageError("option --" + name + " needs a value");
            }
        } else {
            throw EUsageError("unknown option --" + name);
        }
    }
}

bool TCommandLine::Has(const std::string& name) const {
    return FValues.count(name) != 0 || FFlags.count(name) != 0;
}

std::optional<std::string> TCommandLine::Value(const std::string& name) const {
    const auto it = FValues.find(name);
    if (it == FValues.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::int64_t ParseInteger(const std::string& text, std::int64_t min, std::int64_t max,
                          const std::string& what) {
    const std::optional<std::int64_t> value = Sondrel::TextToInteger(text);
    if (!value) {
        throw EUsageError(what + ": '" + text + "' is not a valid integer value");
    }
    if (*value < min || *value > max) {
        throw EUsageError(what + ": " + text + " is outside " + std::to_string(min) + ".." +
                          std::to_string(max));
    }
    return *value;
}

} // namespace SondrelOptions
