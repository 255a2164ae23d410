// TLineStatistics: the counts of one connection's traffic and what they point at. Fed the
// annotated rows in capture order; Reset starts over.
//
// Requests and retries count every attempt sent; normal replies, exceptions (by code),
// corrupted frames (a bad check or a frame cut short), mistargeted and unmatched replies and
// timeouts count the attempts' outcomes; echoes count the request copies that echo removal
// took off the line. Response times are those of normal and exception replies.
//
// Qt-free; main thread only. A plain value.
#pragma once

#include "TrafficRow.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Sondrel {

struct TResponseTimes {
    std::size_t Count = 0;
    std::int64_t MinUs = 0;
    std::int64_t MedianUs = 0;
    std::int64_t P95Us = 0;
    std::int64_t MaxUs = 0;
};

class TLineStatistics {
public:
    // The response times kept for the percentiles: the newest this many.
    static constexpr std::size_t kKeptResponseTimes = 100000;

    void Add(const TTrafficRow& row);
    void Add(const std::vector<TTrafficRow>& rows);
    void Reset() { *this = TLineStatistics(); }

    std::uint64_t Requests() const { return FRequests; }
    std::uint64_t NormalReplies() const { return FNormal; }
    std::uint64_t Exceptions() const;
    // Exception replies by their code.
    const std::map<std::uint8_t, std::uint64_t>& ExceptionsByCode() const { return FExceptions; }
    std::uint64_t Timeouts() const { return FTimeouts; }
    std::uint64_t Corrupted() const { return FCorrupted; }
    std::uint64_t Mistargeted() const { return FMistargeted; }
    std::uint64_t Unmatched() const { return FUnmatched; }
    std::uint64_t Retries() const { return FRetries; }
    std::uint64_t Echoes() const { return FEchoes; }

    TResponseTimes ResponseTimes() const;

    // What the pattern of the counts points at, in words; empty when nothing stands out.
    std::vector<std::string> Hints() const;
    // The statistics in lines of text ("Requests: 12", ...), for the CLI and a tooltip.
    std::vector<std::string> SummaryLines() const;

private:
    struct TBaudCounts {
        std::uint64_t Requests = 0;
        std::uint64_t Timeouts = 0;
    };

    std::uint64_t FRequests = 0;
    std::uint64_t FNormal = 0;
    std::map<std::uint8_t, std::uint64_t> FExceptions;
    std::uint64_t FTimeouts = 0;
    std::uint64_t FCorrupted = 0;
    std::uint64_t FMistargeted = 0;
    std::uint64_t FUnmatched = 0;
    std::uint64_t FRetries = 0;
    std::uint64_t FEchoes = 0;
    // Replies that began with a copy of their request while echo removal was off.
    std::uint64_t FRepliesAfterCopy = 0;
    std::uint64_t FReplies = 0;
    std::map<std::uint32_t, TBaudCounts> FByBaud;
    // The newest response times in arrival order (a ring once full), and the same sorted for
    // the percentiles. The sorted copy is brought up to date when it is asked for: the values
    // added since are merged in and those the ring let go are taken out, in linear time, so a
    // view that asks ten times a second never sorts everything again.
    std::vector<std::int64_t> FResponseUs;
    std::size_t FNextResponse = 0;
    mutable std::vector<std::int64_t> FSortedUs;
    mutable std::vector<std::int64_t> FAddedUs;
    mutable std::vector<std::int64_t> FEvictedUs;
    void UpdateSorted() const;
};

} // namespace Sondrel
