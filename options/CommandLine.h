// The command line of sondrel-cli ("sondrel-cli [options] COMMAND [arguments] [options]") and
// of sondrel-sim. Options may stand anywhere; "--name value" and "--name=value" are both
// accepted, and flags take no value. Everything that is not an option is a positional
// argument; for sondrel-cli the first one is the command.
//
// TCommandLine copies what it reads and owns it; a parsed line may be read from any thread.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace SondrelOptions {

// A usage or argument error: exit status 2, message on standard error.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TCommandLine {
public:
    // valueOptions take a value, flags do not; anything else starting with "--" is refused.
    TCommandLine(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                 const std::set<std::string>& flags);

    const std::vector<std::string>& Positional() const { return FPositional; }
    bool Has(const std::string& name) const;
    std::optional<std::string> Value(const std::string& name) const;
    bool Flag(const std::string& name) const { return FFlags.count(name) != 0; }

private:
    std::vector<std::string> FPositional;
    std::map<std::string, std::string> FValues;
    std::set<std::string> FFlags;
};

// A whole decimal number within min..max, or a usage error naming what was given.
std::int64_t ParseInteger(const std::string& text, std::int64_t min, std::int64_t max,
                          const std::string& what);

} // namespace SondrelOptions
