// The one error of the archive: what went wrong, in words an operator can act on, with the
// archive it concerns.
//
// The message reads "Cannot use the archive "<location>": <cause>", the cause being one of the
// kinds below in plain words followed by the database's own reason in brackets where it has
// one ("the disk is full (database or disk is full)").
//
// Threads: any; a plain value.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace Sondrel {

enum TArchiveFault : std::uint8_t {
    afNotAnArchive, // the file is no database, or one of another program
    afNewerSchema,  // written by a newer version of the program
    afOlderSchema,  // needs an upgrade that a read-only use cannot make
    afReadOnly,     // the file or its folder cannot be written
    afFull,         // the disk (or the database's size limit) is full
    afLocked,       // another program holds the database locked
    afMissing,      // there is no archive at the location (reading only)
    afBadLocation,  // the location names no archive that this program can open
    afOther         // anything else the database reports
};

class EArchiveError : public std::runtime_error {
public:
    EArchiveError(TArchiveFault fault, const std::string& location, const std::string& cause);

    TArchiveFault Fault() const { return FFault; }
    const std::string& Location() const { return FLocation; }
    const std::string& Cause() const { return FCause; }

private:
    TArchiveFault FFault;
    std::string FLocation;
    std::string FCause;
};

} // namespace Sondrel
