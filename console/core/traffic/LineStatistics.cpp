#include "LineStatistics.h"

#include <algorithm>
#include <iterator>

namespace Sondrel {

using namespace Corvane;

void TLineStatistics::Add(const TTrafficRow& row) {
    const TCapturedFrame& f = row.Frame;
    if (f.ConnectionMode != cmClient) {
        return;
    }
    switch (row.Role) {
    case trEcho:
        ++FEchoes;
        return;
    case trRequest:
        ++FRequests;
        ++FByBaud[f.BaudRate].Requests;
        if (f.Attempt > 1) {
            ++FRetries;
        }
        return;
    case trNoReply:
        ++FTimeouts;
        ++FByBaud[f.BaudRate].Timeouts;
        return;
    case trReply:
        break;
    }
    ++FReplies;
    if (row.StartsWithRequest) {
        ++FRepliesAfterCopy;
    }
    switch (f.Status) {
    case rsNormalResponse:
        ++FNormal;
        break;
    case rsExceptionResponse:
        ++FExceptions[row.Meaning.ExceptionCode];
        break;
    case rsFrameCorrupted:
        ++FCorrupted;
        break;
    case rsMistargeted:
        ++FMistargeted;
        break;
    case rsUnmatched:
        ++FUnmatched;
        break;
    case rsTimeoutExpired:
        break;
    }
    if ((f.Status == rsNormalResponse || f.Status == rsExceptionResponse) && row.ResponseUs >= 0) {
        if (FResponseUs.size() < kKeptResponseTimes) {
            FResponseUs.push_back(row.ResponseUs);
        } else {
            FEvictedUs.push_back(FResponseUs[FNextResponse]);
            FResponseUs[FNextResponse] = row.ResponseUs;
            FNextResponse = (FNextResponse + 1) % kKeptResponseTimes;
        }
        FAddedUs.push_back(row.ResponseUs);
    }
}

void TLineStatistics::Add(const std::vector<TTrafficRow>& rows) {
    for (const auto& row : rows) {
        Add(row);
    }
}

std::uint64_t TLineStatistics::Exceptions() const {
    std::uint64_t total = 0;
    for (const auto& [code, count] : FExceptions) {
        total += count;
    }
    return total;
}

void TLineStatistics::UpdateSorted() const {
    if (!FAddedUs.empty()) {
        std::sort(FAddedUs.begin(), FAddedUs.end());
        const auto middle = static_cast<std::ptrdiff_t>(FSortedUs.size());
        FSortedUs.insert(FSortedUs.end(), FAddedUs.begin(), FAddedUs.end());
        std::inplace_merge(FSortedUs.begin(), FSortedUs.begin() + middle, FSortedUs.end());
        FAddedUs.clear();
    }
    if (!FEvictedUs.empty()) {
        // Sorted ranges: the difference takes out one copy per evicted value.
        std::sort(FEvictedUs.begin(), FEvictedUs.end());
        std::vector<std::int64_t> kept;
        kept.reserve(FSortedUs.size());
        std::set_difference(FSortedUs.begin(), FSortedUs.end(), FEvictedUs.begin(),
                            FEvictedUs.end(), std::back_inserter(kept));
        FSortedUs.swap(kept);
        FEvictedUs.clear();
    }
}

TResponseTimes TLineStatistics::ResponseTimes() const {
    TResponseTimes times;
    UpdateSorted();
    if (FSortedUs.empty()) {
        return times;
    }
    const std::vector<std::int64_t>& sorted = FSortedUs;
    const std::size_t n = sorted.size();
    times.Count = n;
    times.MinUs = sorted.front();
    times.MaxUs = sorted.back();
    // Nearest rank: the smallest value with at least p of the samples at or below it.
    const auto rank = [&](std::size_t percent) {
        const std::size_t r = (percent * n + 99) / 100;
        return sorted[std::max<std::size_t>(r, 1) - 1];
    };
    times.MedianUs = rank(50);
    times.P95Us = rank(95);
    return times;
}

std::vector<std::string> TLineStatistics::Hints() const {
    std::vector<std::string> hints;
    if (FReplies >= 2 && FRepliesAfterCopy == FReplies) {
        hints.emplace_back(
            "Every reply is preceded by a copy of its request: turn on echo removal");
    }
    if (FMistargeted > 0) {
        hints.emplace_back("Replies came from another server address (" +
                           std::to_string(FMistargeted) +
                           "): check the server address and that only one server answers it");
    }
    // Timeouts only at the higher rates: some rate had requests and no timeout, and every
    // rate that timed out lies above all such rates.
    std::uint32_t highestClean = 0;
    bool anyClean = false;
    std::uint32_t lowestTimingOut = 0;
    bool anyTimingOut = false;
    for (const auto& [baud, counts] : FByBaud) {
        if (counts.Timeouts == 0 && counts.Requests > 0) {
            anyClean = true;
            highestClean = std::max(highestClean, baud);
        } else if (counts.Timeouts > 0 && !anyTimingOut) {
            anyTimingOut = true;
            lowestTimingOut = baud;
        }
    }
    if (anyClean && anyTimingOut && lowestTimingOut > highestClean) {
        hints.emplace_back("Timeouts only at " + std::to_string(lowestTimingOut) +
                           " baud and above: the cable or adapter may not carry the higher "
                           "rates; try a lower baud rate or a shorter cable");
    }
    return hints;
}

namespace {

std::string Ms(std::int64_t us) {
    return TrafficMicrosecondsText(us);
}

} // namespace

std::vector<std::string> TLineStatistics::SummaryLines() const {
    std::vector<std::string> lines;
    lines.push_back("Requests: " + std::to_string(FRequests) + " (retries " +
                    std::to_string(FRetries) + ")");
    lines.push_back("Normal replies: " + std::to_string(FNormal));
    std::string exceptions = "Exceptions: " + std::to_string(Exceptions());
    if (!FExceptions.empty()) {
        std::string byCode;
        for (const auto& [code, count] : FExceptions) {
            byCode += (byCode.empty() ? "" : ", ") + std::string("code ") + std::to_string(code) +
                      ": " + std::to_string(count);
        }
        exceptions += " (" + byCode + ")";
    }
    lines.push_back(exceptions);
    lines.push_back("Timeouts: " + std::to_string(FTimeouts));
    lines.push_back("Corrupted frames: " + std::to_string(FCorrupted));
    lines.push_back("Mistargeted: " + std::to_string(FMistargeted));
    lines.push_back("Unmatched: " + std::to_string(FUnmatched));
    lines.push_back("Echoes removed: " + std::to_string(FEchoes));
    const TResponseTimes times = ResponseTimes();
    if (times.Count > 0) {
        lines.push_back("Response time: min " + Ms(times.MinUs) + ", median " + Ms(times.MedianUs) +
                        ", p95 " + Ms(times.P95Us) + ", max " + Ms(times.MaxUs));
    } else {
        lines.emplace_back("Response time: -");
    }
    for (const auto& hint : Hints()) {
        lines.push_back("Hint: " + hint);
    }
    return lines;
}

} // namespace Sondrel
