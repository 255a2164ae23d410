// TReportContent: what a printed trend report holds, as plain values, and the two ways it is
// gathered: from an archive range (ArchiveReportContent) or from the records of a download
// (RecordListReportContent). TReportWriter lays it out.
//
// Every text here may come from the archive or the settings file and is printed as text,
// never read as markup.
//
// Threads: any; the archive's store belongs to the calling thread.
#pragma once

#include "ArchiveStore.h"
#include "Excursions.h"
#include "TrendData.h"
#include "TrendLimits.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Sondrel {

class TRecordList;

struct TReportInstrument {
    std::string Name;
    std::string Identity;
    std::string Port;
    std::int32_t Address = 0;
};

// Who acknowledged an excursion, when, and why.
struct TReportAck {
    std::string By;
    std::string At;
    std::string Comment;
};

struct TReportExcursion {
    TExcursion Excursion;
    std::optional<TReportAck> Ack; // nothing: not acknowledged
};

struct TReportContent {
    std::string Title = "Trend report";
    TReportInstrument Instrument;
    std::vector<TDownloadRecord> Downloads;
    // The range as the report states it ("YYYY-MM-DD hh:mm"); an open end is the data's own.
    std::string From;
    std::string To;
    TInstrumentLimits Limits;
    std::vector<TSeriesGroup> Groups; // one chart each, in this order
    TTrendData Data;
    std::vector<TReportExcursion> Excursions;
    std::string PrintedAt; // the local time of printing, "YYYY-MM-DD hh:mm:ss"
};

// The three groups, in their order.
std::vector<TSeriesGroup> AllSeriesGroups();

struct TArchiveReportRequest {
    std::int64_t InstrumentId = 0;
    std::string From; // record date-times, inclusive; empty: open
    std::string To;
    TInstrumentLimits Limits;
    std::vector<TSeriesGroup> Groups = AllSeriesGroups();
};

// The report of one instrument's archived records in a range: the instrument, the downloads
// that brought them, the trend, its excursions with their acknowledgements. Raises
// EArchiveError, and std::invalid_argument for an instrument the archive does not have.
TReportContent ArchiveReportContent(IArchiveStore& store, const TArchiveReportRequest& request);

// The report of a download's records as the Data tab holds them, with that download.
TReportContent RecordListReportContent(const TRecordList& records,
                                       const TReportInstrument& instrument,
                                       const std::optional<TDownloadRecord>& download,
                                       const TInstrumentLimits& limits,
                                       const std::vector<TSeriesGroup>& groups);

} // namespace Sondrel
