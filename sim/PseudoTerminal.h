// TPseudoTerminal: a new pseudo-terminal for the simulator to serve on. Clients open the
// slave's path as if it were a serial device; the simulator serves on the master.
//
// The slave starts in raw mode, so that a client that does not configure the line still
// sees every byte unchanged. The simulator keeps its own slave descriptor open for its whole
// life: the master then never sees a hang-up, and clients may close and reopen the path as
// often as they like.
//
// Move-only; closes both descriptors on destruction. Any thread may read the descriptors.
#pragma once

#include <string>

namespace SondrelSim {

class TPseudoTerminal {
public:
    // Raises std::system_error when no pseudo-terminal can be created.
    TPseudoTerminal();
    ~TPseudoTerminal();
    TPseudoTerminal(TPseudoTerminal&& other) noexcept;
    TPseudoTerminal& operator=(TPseudoTerminal&& other) noexcept;
    TPseudoTerminal(const TPseudoTerminal&) = delete;
    TPseudoTerminal& operator=(const TPseudoTerminal&) = delete;

    int MasterFd() const { return FMaster; }
    // Writes bytes on the slave side, as a client would (for the simulator's own readiness
    // probe). True when all were written.
    bool WriteAsClient(const std::string& bytes) const;
    // The device path of the slave ("/dev/pts/7").
    const std::string& SlavePath() const { return FSlavePath; }

private:
    void Close();

    int FMaster = -1;
    int FSlave = -1;
    std::string FSlavePath;
};

} // namespace SondrelSim
