// What a chart draws of one series in a visible time range: at most a few points per pixel
// column, so that a series of a million points draws as fast as one of a thousand and still
// shows every spike.
//
// When the range holds no more than PointsPerColumn x columns points they are drawn as they
// are (the real points, on zoom-in). Otherwise the range is cut into `columns` equal slices of
// time and each slice keeps its first, lowest, highest and last point, in time order (the
// envelope of the line, and where it enters and leaves the slice). The point just outside each
// end of the range is kept as well, so the line runs to the chart's edges.
//
// Segments of the data (gaps in time) stay apart: the result is a list of polylines, and no
// line joins two segments. Once decimated, a gap within one slice is drawn through (a gap
// narrower than a pixel cannot be seen), so there are never more polylines than columns. A
// polyline may hold a single point (a record alone between two gaps): draw it as a point.
//
// Threads: any; pure functions.
#pragma once

#include "TrendData.h"

#include <cstddef>
#include <vector>

namespace Sondrel {

struct TTrendPoint {
    double Minutes = 0;
    double Value = 0;
    bool operator==(const TTrendPoint&) const = default;
};

using TPolyline = std::vector<TTrendPoint>;

struct TDecimationRequest {
    static constexpr std::size_t PointsPerColumn = 4;

    double FromMinutes = 0; // the visible range, inclusive
    double ToMinutes = 0;
    std::size_t Columns = 1000; // the plot area's width in pixels
};

std::vector<TPolyline> DecimateSeries(const TTrendData& data, TTrendSeries series,
                                      const TDecimationRequest& request);

// The number of points the polylines hold (for tests and benchmarks).
std::size_t PointCount(const std::vector<TPolyline>& polylines);

} // namespace Sondrel
