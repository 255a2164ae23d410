// The values that move between the archive's users and its storage (IArchiveStore): an
// instrument, a download, a record and the questions asked of the stored records.
//
// Date-times of records are texts "YYYY-MM-DD hh:mm" made from the record's own fields
// (RecordDateTime): the instrument's clock has no seconds and no time zone, and a text in this
// form sorts chronologically, compares in SQL without conversions in every database, and keeps
// even a record whose fields are out of range apart from every other one. Times of the archive's
// own events (a download's start, a record's arrival) are UTC texts "YYYY-MM-DDThh:mm:ssZ".
//
// Threads: any; plain values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

// Registers of one record block as read, and those that the archive keeps of it.
inline constexpr std::size_t kArchivedRegisterCount = 104;

// "YYYY-MM-DD hh:mm", each field written in full (a field out of range is not cut).
std::string RecordDateTime(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                           std::uint16_t hour, std::uint16_t minute);
// The record date-time of a block (registers 3..7), or nothing for a block of fewer than 8
// registers.
std::optional<std::string> BlockDateTime(const std::vector<std::uint16_t>& registers);
// Whether a block is an empty record (state word 65535): erased memory, no sample.
bool IsEmptyRecordBlock(const std::vector<std::uint16_t>& registers);

// What identifies an instrument, and what is known of it at a download.
struct TInstrumentDescription {
    // The key: "server id <text>" from the Report Server ID reply, or "name <name>", the
    // operator's name for it, when it does not answer that request.
    std::string Identity;
    std::string Name;     // the operator's name for it (shown in lists)
    std::string ServerId; // the reply's data as hexadecimal text, empty when it did not answer
    std::string Port;
    std::int32_t Address = 1;
};

// An instrument with what the archive holds of it.
struct TInstrumentSummary {
    std::int64_t Id = 0;
    std::string Identity;
    std::string Name;
    std::string Port;
    std::int32_t Address = 0;
    std::int64_t Records = 0;
    std::string First; // record date-times of the oldest and newest records; empty with none
    std::string Last;
};

// The kinds of download, as stored.
inline constexpr const char* kDownloadRecent = "recent";  // Retrieve Data, most recent
inline constexpr const char* kDownloadByDate = "by date"; // Retrieve Data, by date and time
inline constexpr const char* kDownloadWhole = "whole";    // Download Data, the whole log
inline constexpr const char* kDownloadNew = "new";        // New records

// The outcomes of a download, as stored.
inline constexpr const char* kOutcomeRunning = "running";
inline constexpr const char* kOutcomeComplete = "complete";     // every record asked for came
inline constexpr const char* kOutcomeIncomplete = "incomplete"; // finished, records missing
inline constexpr const char* kOutcomeStopped = "stopped";       // stopped or cut off
inline constexpr const char* kOutcomeFailed = "failed";

// Where a "New records" download stands in its chain: the downloads that, together, fetch
// every record the instrument wrote after a known one (see NewRecordsPlan.h).
struct TNewRecordsChain {
    // The chain's first download; 0 while that is the download being planned.
    std::int64_t ChainId = 0;
    // Records after WindowStart in ring order, up to the current one, are wanted.
    std::int32_t WindowStart = 0;
    // The chain's confirmation record and its date-time: the current record when the chain
    // began (or the previous chain's newest record). Nothing when it was empty.
    std::int32_t BaseRecord = 0;
    std::optional<std::string> BaseRecordedAt;
    // The instrument's current record at this download, and its date-time.
    std::int32_t NewestRecord = 0;
    std::optional<std::string> NewestRecordedAt;

    bool operator==(const TNewRecordsChain&) const = default;
};

// A download as stored.
struct TDownloadRecord {
    std::int64_t Id = 0;
    std::int64_t InstrumentId = 0;
    std::string Kind;
    std::string Request;
    std::string StartedAt;
    std::string EndedAt;
    std::string UserName;
    std::string HostName;
    std::string LineSettings;
    std::string Outcome = kOutcomeRunning;
    std::int64_t RecordsReceived = 0;
    std::optional<TNewRecordsChain> Chain; // "New records" downloads that got as far as a plan
};

// One record to add: its number and the registers as read; the fields are taken from them.
struct TArchivedRecord {
    std::int32_t RecordNumber = 0;
    std::vector<std::uint16_t> Registers; // kArchivedRegisterCount of them
    std::string DownloadedAt;
};

// A stored record's key, for the new-records plan.
struct TArchivedKey {
    std::int32_t RecordNumber = 0;
    std::string RecordedAt;
    std::int64_t DownloadId = 0;

    bool operator==(const TArchivedKey&) const = default;
};

// The records of a range, in an order.
struct TRecordQuery {
    std::optional<std::int64_t> InstrumentId; // all instruments when not set
    std::string From;                         // record date-times, inclusive; empty: open
    std::string To;
    // The table column to order by (0..26, as the record table numbers them) and the way;
    // ties go by date-time, instrument and record number.
    std::int32_t OrderColumn = 1;
    bool Ascending = true;

    bool operator==(const TRecordQuery&) const = default;
};

// A stored record as read back.
struct TStoredRecord {
    std::int64_t InstrumentId = 0;
    std::int32_t RecordNumber = 0;
    std::string RecordedAt;
    std::vector<std::uint16_t> Registers;
};

// An operator's acknowledgement of an excursion: a run of records beyond a limit, known by
// its instrument, series, limit kind and first record (see trends/Excursions.h). Checked by
// ExcursionAckProblem (ExcursionAcks.h) on the way in and on the way out.
struct TExcursionAck {
    std::int64_t InstrumentId = 0;
    std::string Series;    // the series key ("counts1", "total_ppb", "flow_rate", ...)
    std::string LimitKind; // the limit kind key ("alert high", "action low", ...)
    std::string StartedAt; // the excursion's first record date-time, "YYYY-MM-DD hh:mm"
    std::string AcknowledgedBy;
    std::string AcknowledgedAt; // UTC "YYYY-MM-DDThh:mm:ssZ"
    std::string Comment;

    bool operator==(const TExcursionAck&) const = default;
};

// What "archive check" finds.
struct TArchiveCheck {
    std::vector<std::string> IntegrityMessages; // "ok" alone when the database is sound
    std::int32_t SchemaVersion = 0;
    std::int64_t Instruments = 0;
    std::int64_t Downloads = 0;
    std::int64_t Records = 0;
    // Records whose registers do not match their checksum, or whose fields do not match
    // their registers.
    std::int64_t DamagedRecords = 0;
    std::int64_t ExcursionAcks = 0;
    // Acknowledgements whose values are not what the archive writes (a hand edit).
    std::int64_t DamagedExcursionAcks = 0;

    bool Sound() const {
        return IntegrityMessages.size() == 1 && IntegrityMessages[0] == "ok" &&
               DamagedRecords == 0 && DamagedExcursionAcks == 0;
    }
};

} // namespace Sondrel
