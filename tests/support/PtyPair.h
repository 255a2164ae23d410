// PtyPair: a pseudo-terminal pair that stands in for a serial cable in tests.
//
// The slave side plays the serial device: code under test opens SlavePath() (or hooks
// SlaveFd()) as it would open /dev/ttyUSB0. The master side plays the peer at the other end
// of the cable: the Peer* helpers write and read there. Both sides start in raw mode, so
// every byte passes unchanged. Roles can be swapped by using the descriptors directly.
//
// The pair keeps its own slave descriptor open (so that the master never sees a hang-up
// while the device under test is closed and reopened) and never reads from it. Closing the
// master (CloseMaster) is the peer going away: every slave descriptor is hung up for good.
//
// Move-only; closes whatever is still open on destruction. Not thread-safe: one thread may
// use the peer helpers while another drives the code under test on the slave.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace TestSupport {

using Bytes = std::vector<std::uint8_t>;

// The characters of a text as bytes ("ab\r\n" -> 61 62 0D 0A).
Bytes ToBytes(std::string_view text);

// Writes every byte to fd, retrying after partial writes; throws std::runtime_error on a
// failure.
void WriteAll(int fd, const std::uint8_t* data, std::size_t count);

// Reads from fd until maxBytes arrived or timeout passed, whichever comes first; returns
// what arrived (possibly nothing). Never blocks past the timeout.
Bytes ReadFor(int fd, std::size_t maxBytes, std::chrono::milliseconds timeout);

class PtyPair {
public:
    // Opens a new pair; throws std::runtime_error when the system has no pseudo-terminals.
    PtyPair();
    ~PtyPair();

    PtyPair(PtyPair&& other) noexcept;
    PtyPair& operator=(PtyPair&& other) noexcept;
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int MasterFd() const { return FMaster; }
    int SlaveFd() const { return FSlave; }
    // The device path of the slave ("/dev/pts/7").
    const std::string& SlavePath() const { return FSlavePath; }

    // The peer goes away: the device side sees end of file / hang-up from now on.
    void CloseMaster();
    // Closes the pair's own slave descriptor (others opened on SlavePath stay open).
    void CloseSlave();

    // Writes bytes from the peer side.
    void PeerWrite(const Bytes& bytes) const;
    void PeerWrite(std::string_view text) const;
    // Writes each burst from the peer side, pausing for gap between two bursts.
    void PeerWriteBursts(const std::vector<Bytes>& bursts, std::chrono::milliseconds gap) const;
    // Waits until the device side has read every byte the peer wrote (the slave's input queue
    // is empty), at most timeout; false when it has not. A pause that starts then is one the
    // device side sees whole, however late it woke up to read.
    bool WaitUntilDeviceRead(std::chrono::milliseconds timeout) const;
    // Reads what the device side sent, up to maxBytes or until timeout.
    Bytes PeerRead(std::size_t maxBytes, std::chrono::milliseconds timeout) const;

private:
    void CloseAll();

    int FMaster = -1;
    int FSlave = -1;
    std::string FSlavePath;
};

} // namespace TestSupport
