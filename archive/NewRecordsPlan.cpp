#include "NewRecordsPlan.h"

#include <algorithm>

namespace Sondrel {

namespace {

constexpr std::int32_t kRecordSpace = 62001;
constexpr std::int32_t kMostRecords = 62000;

std::int32_t Wrap(std::int64_t n) {
    return static_cast<std::int32_t>(((n % kRecordSpace) + kRecordSpace) % kRecordSpace);
}

// Records from a to b going forward along the ring (0 when equal).
std::int32_t Distance(std::int32_t a, std::int32_t b) {
    return Wrap(std::int64_t{b} - a);
}

std::string MostRecent(std::int32_t count) {
    return "Downloading the most recent " + std::to_string(count) + " records.";
}

} // namespace

TNewRecordsPlan PlanNewRecords(std::int32_t current, std::int32_t fallbackCount,
                               const std::optional<TDownloadRecord>& latest,
                               const TRecordProbe& probe, const TArchivedKeysQuery& archived) {
    TNewRecordsPlan plan;
    const std::int32_t fallback = std::clamp(fallbackCount, 0, kMostRecords);
    const TProbedRecord now = probe(current);
    if (!now.Read) {
        plan.Failure = "Could not read the current record " + std::to_string(current) + ".";
        return plan;
    }
    plan.Chain.NewestRecord = current;
    if (now.Filled) {
        plan.Chain.NewestRecordedAt = now.RecordedAt;
    }

    // The chain this run belongs to, and whether its base is still on the instrument.
    bool related = false;
    std::string why = "The archive holds no earlier download of new records of this instrument.";
    if (latest && latest->Chain) {
        const TNewRecordsChain& before = *latest->Chain;
        const bool complete = latest->Outcome == kOutcomeComplete;
        TNewRecordsChain chain;
        chain.ChainId = complete ? 0 : before.ChainId;
        chain.BaseRecord = complete ? before.NewestRecord : before.BaseRecord;
        chain.BaseRecordedAt = complete ? before.NewestRecordedAt : before.BaseRecordedAt;
        chain.WindowStart = complete ? chain.BaseRecord : before.WindowStart;
        const TProbedRecord base = chain.BaseRecord == current ? now : probe(chain.BaseRecord);
        if (!base.Read) {
            plan.Failure = "Could not read record " + std::to_string(chain.BaseRecord) + ".";
            return plan;
        }
        const std::string baseText = "record " + std::to_string(chain.BaseRecord) +
                                     (chain.BaseRecordedAt ? " of " + *chain.BaseRecordedAt : "");
        if (!chain.BaseRecordedAt) {
            why = "The record that the archive would compare was empty: nothing ties the "
                  "instrument's records to the archive.";
        } else if (base.Filled && base.RecordedAt == *chain.BaseRecordedAt) {
            related = true;
            plan.Chain.ChainId = chain.ChainId;
            plan.Chain.WindowStart = chain.WindowStart;
            plan.Chain.BaseRecord = chain.BaseRecord;
            plan.Chain.BaseRecordedAt = chain.BaseRecordedAt;
            if (!complete) {
                plan.Notes.push_back("The last download of new records did not complete: "
                                     "fetching what it missed.");
            }
        } else if (now.Filled && now.RecordedAt < *chain.BaseRecordedAt) {
            why = "The instrument's records are older than the archive's " + baseText +
                  ": its log was erased, its clock changed, or it is another instrument.";
        } else if (base.Filled) {
            why = "The instrument's log went round since " + baseText +
                  " was archived: records may have been overwritten before they were archived.";
        } else {
            why = "The instrument no longer holds " + baseText + ": its log was erased.";
        }
    }
    if (!related) {
        plan.Notes.push_back(why + " " + MostRecent(fallback));
        plan.Chain.ChainId = 0;
        plan.Chain.BaseRecord = current;
        plan.Chain.BaseRecordedAt = plan.Chain.NewestRecordedAt;
        plan.Chain.WindowStart = Wrap(std::int64_t{current} - fallback);
    }

    // The window: the records before the base that the chain wants, and every record since.
    const TNewRecordsChain& chain = plan.Chain;
    const std::int32_t since = Distance(chain.BaseRecord, current);
    const std::int32_t before = Distance(chain.WindowStart, chain.BaseRecord);
    plan.WindowSize = std::min(kMostRecords, before + since);
    plan.FirstRecord = Wrap(std::int64_t{current} - plan.WindowSize);
    if (plan.WindowSize == 0) {
        return plan;
    }

    std::vector<bool> afterBase(kRecordSpace, false);
    std::vector<bool> byChain(kRecordSpace, false);
    const std::optional<std::int64_t> chainDownloads =
        chain.ChainId != 0 ? std::optional<std::int64_t>(chain.ChainId) : std::nullopt;
    for (const TArchivedKey& key : archived(chain.BaseRecordedAt, chainDownloads)) {
        if (key.RecordNumber < 0 || key.RecordNumber >= kRecordSpace) {
            continue;
        }
        const auto n = static_cast<std::size_t>(key.RecordNumber);
        if (chain.BaseRecordedAt && key.RecordedAt >= *chain.BaseRecordedAt) {
            afterBase[n] = true;
        }
        if (chainDownloads && key.DownloadId >= *chainDownloads &&
            (!chain.BaseRecordedAt || key.RecordedAt <= *chain.BaseRecordedAt)) {
            byChain[n] = true;
        }
    }
    for (std::int32_t k = 1; k <= plan.WindowSize; ++k) {
        const std::int32_t record = Wrap(std::int64_t{plan.FirstRecord} + k);
        const bool written =
            Distance(chain.BaseRecord, record) >= 1 && Distance(chain.BaseRecord, record) <= since;
        const auto n = static_cast<std::size_t>(record);
        const bool have = written ? afterBase[n] || byChain[n] : byChain[n];
        if (!have) {
            plan.Records.push_back(record);
        }
    }
    if (related && !plan.Records.empty()) {
        plan.Notes.push_back(std::to_string(plan.Records.size()) + " new records after record " +
                             std::to_string(chain.WindowStart) + ".");
    }
    return plan;
}

} // namespace Sondrel
