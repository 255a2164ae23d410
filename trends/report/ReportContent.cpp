#include "ReportContent.h"

#include "ArchiveTrend.h"
#include "RecordList.h"

#include <QDateTime>

#include <stdexcept>

namespace Sondrel {

namespace {

std::string NowText() {
    return QDateTime::currentDateTime().toString("yyyy-MM-dd hh:mm:ss").toStdString();
}

// The range's open ends are those of the data.
void CompleteRange(TReportContent& content) {
    if (content.Data.PointCount() == 0) {
        return;
    }
    if (content.From.empty()) {
        content.From = MinutesText(content.Data.Minutes.front());
    }
    if (content.To.empty()) {
        content.To = MinutesText(content.Data.Minutes.back());
    }
}

std::vector<TReportExcursion> Unacknowledged(const std::vector<TExcursion>& excursions) {
    std::vector<TReportExcursion> result;
    result.reserve(excursions.size());
    for (const TExcursion& excursion : excursions) {
        result.push_back({excursion, std::nullopt});
    }
    return result;
}

} // namespace

std::vector<TSeriesGroup> AllSeriesGroups() {
    return {TSeriesGroup::Counts, TSeriesGroup::Ppb, TSeriesGroup::Health};
}

TReportContent ArchiveReportContent(IArchiveStore& store, const TArchiveReportRequest& request) {
    TReportContent content;
    bool found = false;
    for (const TInstrumentSummary& instrument : store.Instruments()) {
        if (instrument.Id == request.InstrumentId) {
            content.Instrument = {instrument.Name, instrument.Identity, instrument.Port,
                                  instrument.Address};
            found = true;
        }
    }
    if (!found) {
        throw std::invalid_argument("the archive has no instrument " +
                                    std::to_string(request.InstrumentId));
    }
    TRecordQuery query;
    query.InstrumentId = request.InstrumentId;
    query.From = request.From;
    query.To = request.To;
    content.Downloads = store.DownloadsOfRange(query);
    content.Data = LoadArchiveTrend(store, query);
    content.From = request.From;
    content.To = request.To;
    CompleteRange(content);
    content.Limits = request.Limits;
    content.Groups = request.Groups;
    content.Excursions = Unacknowledged(FindExcursions(content.Data, content.Limits));
    const std::vector<TExcursionAck> acks =
        store.ExcursionAcks(request.InstrumentId, request.From, request.To);
    for (TReportExcursion& excursion : content.Excursions) {
        const TExcursion& x = excursion.Excursion;
        for (const TExcursionAck& ack : acks) {
            if (ack.Series == SeriesKey(x.Series) && ack.LimitKind == LimitKindKey(x.Kind) &&
                ack.StartedAt == x.Start()) {
                excursion.Ack = TReportAck{ack.AcknowledgedBy, ack.AcknowledgedAt, ack.Comment};
            }
        }
    }
    content.PrintedAt = NowText();
    return content;
}

TReportContent RecordListReportContent(const TRecordList& records,
                                       const TReportInstrument& instrument,
                                       const std::optional<TDownloadRecord>& download,
                                       const TInstrumentLimits& limits,
                                       const std::vector<TSeriesGroup>& groups) {
    TReportContent content;
    content.Instrument = instrument;
    if (download) {
        content.Downloads.push_back(*download);
    }
    TTrendDataBuilder builder;
    for (std::int32_t row = 0; row < records.Count(); ++row) {
        builder.Add(records.Item(row), row);
    }
    content.Data = builder.Finish();
    CompleteRange(content);
    content.Limits = limits;
    content.Groups = groups;
    content.Excursions = Unacknowledged(FindExcursions(content.Data, content.Limits));
    content.PrintedAt = NowText();
    return content;
}

} // namespace Sondrel
