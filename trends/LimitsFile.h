// TLimitsFile: the limits of every instrument, kept in one settings file that the window and
// sondrel-cli share ("limits.dat" in the user's data folder unless a path is given; profile
// format, TProfileFile).
//
// One section per instrument, "Instrument <n>", with the key Identity (the archive's identity
// of the instrument, "server id <text>" or "name <name>") and a key per limit that is set,
// "<series key>.<limit kind key with '_' for the space>" ("counts1.alert_high=1000"). Sections
// are found by their Identity, so an identity may hold any text the format can carry.
//
// Reading is hostile-input safe: a value that is not a finite number is ignored and reported in
// Problems (naming the key), never taken as 0; an unknown key is ignored. Writing replaces every
// key of the instrument's section in one replacement of the file (all or nothing); an identity
// with a line break, which the format cannot hold, is refused with std::invalid_argument.
//
// Not thread-safe; one thread at a time. Holds only the path.
#pragma once

#include "TrendLimits.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Sondrel {

struct TLimitsRead {
    TInstrumentLimits Limits;
    std::vector<std::string> Problems; // "counts1.alert_high: 'abc' is not a number"
};

class TLimitsFile {
public:
    static constexpr const char* FileName = "limits.dat";

    explicit TLimitsFile(std::filesystem::path path);
    // The file in the user's data folder.
    static std::filesystem::path DefaultPath();

    const std::filesystem::path& Path() const { return FPath; }

    // The instrument's limits; none set when the file or the instrument is not there.
    TLimitsRead Read(const std::string& identity) const;
    // Makes the file's folder when it is missing. Raises EConsoleFileError (naming the file)
    // when the file cannot be written.
    void Write(const std::string& identity, const TInstrumentLimits& limits);

private:
    std::filesystem::path FPath;
};

} // namespace Sondrel
