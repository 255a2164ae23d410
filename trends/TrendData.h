// TTrendData: the values of every series over time, taken from a record list or an archive
// range, and how they break into segments.
//
// Records are placed by their date-time (minute resolution; the instrument's clock has no time
// zone, so times are minutes since 1970-01-01 00:00 of the instrument's own calendar). Empty
// records (erased memory) and records whose date or time fields are out of range have no place
// in time and are left out (counted in LeftOut). The points are sorted by time; records of the
// same minute keep their order of arrival.
//
// Segments: a gap in time (the instrument off, a range never downloaded) is a break where the
// line is not drawn. A gap is an interval longer than GapFactor times the usual sampling
// interval (the median of the intervals between points), and never one of a minute or less.
//
// Threads: any; a plain value once built.
#pragma once

#include "TrendSeries.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace Sondrel {

// Minutes since 1970-01-01 00:00 of a record's date-time; nothing when a field is out of range
// (month 1..12, day within the month, hour 0..23, minute 0..59, year 1970..9999).
std::optional<std::int64_t> RecordMinutes(std::uint16_t year, std::uint16_t month,
                                          std::uint16_t day, std::uint16_t hour,
                                          std::uint16_t minute);
// "YYYY-MM-DD hh:mm" of a minutes value (the archive's record date-time form).
std::string MinutesText(std::int64_t minutes);

struct TTrendData {
    static constexpr double GapFactor = 3.0;

    // One entry per placed record, sorted by time.
    std::vector<std::int64_t> Minutes;
    // The row of the source (the record list's row, or the place in the archive range) of
    // each point, for the table's colouring and the cursor.
    std::vector<std::int32_t> Rows;
    // Values[SeriesIndex(s)][i] is series s at point i.
    std::array<std::vector<double>, kTrendSeriesCount> Values;
    // Indexes of the points that begin a segment (a gap before them), ascending; the first
    // point always begins one. Empty when there are no points.
    std::vector<std::size_t> SegmentStarts;
    // Records that have no place in time (empty records, fields out of range).
    std::int32_t LeftOut = 0;

    std::size_t PointCount() const { return Minutes.size(); }
    const std::vector<double>& Of(TTrendSeries series) const { return Values[SeriesIndex(series)]; }
    // Whether point i begins a segment.
    bool BeginsSegment(std::size_t i) const;
    // The index of the point nearest in time to `minutes`; nothing with no points.
    std::optional<std::size_t> NearestPoint(double minutes) const;
};

// Collects the records one by one (any order) and builds the data.
class TTrendDataBuilder {
public:
    // Room for this many records, when their number is known beforehand.
    void Reserve(std::size_t records);
    // An empty record, or one without a valid date-time, is counted as left out.
    void Add(const TRecordItem& item, std::int32_t row);
    // Sorts, finds the segments and hands the data over; the builder is empty afterwards.
    TTrendData Finish();

private:
    // Kept as columns from the start, so that a million records need no second copy.
    std::vector<std::int64_t> FMinutes;
    std::vector<std::int32_t> FRows;
    std::array<std::vector<double>, kTrendSeriesCount> FValues;
    std::int32_t FLeftOut = 0;
};

} // namespace Sondrel
