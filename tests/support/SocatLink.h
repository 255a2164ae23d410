// SocatLink: two pseudo-terminals joined back to back by socat, the software form of a
// null-modem cable between two serial ports. Whatever one end writes, the other end reads.
//
// Unlike a PtyPair, both ends are ordinary terminal devices with stable paths (symbolic
// links in a private temporary folder), so two independent programs, say a Modbus peer and
// our connection, can each open one end as they would open /dev/ttyUSB0. Both terminals
// start raw, without echo.
//
// The constructor returns once both links exist; it throws std::runtime_error when socat
// cannot be started or the links do not appear in time. The destructor stops socat (no
// stray process, even after a failed test) and removes the folder.
//
// Neither copied nor moved; one thread at a time.
#pragma once

#include "ChildProcess.h"

#include <string>

namespace TestSupport {

class SocatLink {
public:
    SocatLink();
    ~SocatLink();

    SocatLink(const SocatLink&) = delete;
    SocatLink& operator=(const SocatLink&) = delete;

    // Device paths of the two ends.
    const std::string& EndA() const { return FEndA; }
    const std::string& EndB() const { return FEndB; }

    // True while socat runs.
    bool Running() { return FSocat.Running(); }

private:
    static std::string MakeFolder();
    void RemoveFolder();

    std::string FFolder;
    std::string FEndA;
    std::string FEndB;
    ChildProcess FSocat;
};

} // namespace TestSupport
