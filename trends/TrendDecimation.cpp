#include "TrendDecimation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Sondrel {

namespace {

// Collects the points of one slice: the first, lowest, highest and last, each once.
class TSliceEnvelope {
public:
    bool Empty() const { return !FOpen; }

    void Add(std::size_t index, double value) {
        if (!FOpen) {
            FFirst = FLow = FHigh = FLast = index;
            FLowValue = FHighValue = value;
            FOpen = true;
            return;
        }
        if (value < FLowValue) {
            FLow = index;
            FLowValue = value;
        }
        if (value > FHighValue) {
            FHigh = index;
            FHighValue = value;
        }
        FLast = index;
    }

    void FlushInto(TPolyline& line, const TTrendData& data, const std::vector<double>& values) {
        if (!FOpen) {
            return;
        }
        std::array<std::size_t, 4> kept = {FFirst, FLow, FHigh, FLast};
        std::sort(kept.begin(), kept.end());
        const auto end = std::unique(kept.begin(), kept.end());
        for (auto it = kept.begin(); it != end; ++it) {
            line.push_back({static_cast<double>(data.Minutes[*it]), values[*it]});
        }
        FOpen = false;
    }

private:
    bool FOpen = false;
    std::size_t FFirst = 0, FLow = 0, FHigh = 0, FLast = 0;
    double FLowValue = 0, FHighValue = 0;
};

// The index of the segment start after `index`, walking forward through the starts.
class TSegmentWalker {
public:
    TSegmentWalker(const TTrendData& data, std::size_t from)
        : FStarts(data.SegmentStarts),
          FNext(std::upper_bound(FStarts.begin(), FStarts.end(), from)) {}

    // Whether point `index` (visited in ascending order) begins a segment.
    bool Begins(std::size_t index) {
        while (FNext != FStarts.end() && *FNext < index) {
            ++FNext;
        }
        return FNext != FStarts.end() && *FNext == index;
    }

private:
    const std::vector<std::size_t>& FStarts;
    std::vector<std::size_t>::const_iterator FNext;
};

} // namespace

std::vector<TPolyline> DecimateSeries(const TTrendData& data, TTrendSeries series,
                                      const TDecimationRequest& request) {
    const std::vector<double>& values = data.Of(series);
    const std::size_t count = data.PointCount();
    if (count == 0 || values.size() != count || !(request.ToMinutes >= request.FromMinutes)) {
        return {};
    }
    // The visible points, and one beyond each end.
    const auto lower = std::lower_bound(
        data.Minutes.begin(), data.Minutes.end(), request.FromMinutes,
        [](std::int64_t point, double minutes) { return static_cast<double>(point) < minutes; });
    const auto upper = std::upper_bound(
        data.Minutes.begin(), data.Minutes.end(), request.ToMinutes,
        [](double minutes, std::int64_t point) { return minutes < static_cast<double>(point); });
    std::size_t first = static_cast<std::size_t>(lower - data.Minutes.begin());
    std::size_t last = static_cast<std::size_t>(upper - data.Minutes.begin());
    first = first > 0 ? first - 1 : first;
    last = last < count ? last : last - 1;

    const std::size_t columns = std::max<std::size_t>(1, request.Columns);
    std::vector<TPolyline> lines(1);
    TSegmentWalker segments(data, first);
    if (last - first + 1 <= TDecimationRequest::PointsPerColumn * columns) {
        for (std::size_t i = first; i <= last; ++i) {
            if (i > first && segments.Begins(i)) {
                lines.emplace_back();
            }
            lines.back().push_back({static_cast<double>(data.Minutes[i]), values[i]});
        }
        return lines;
    }

    // Slices of equal time; the points outside the range fall into slices of their own
    // (-1 and `columns`).
    const double width = (request.ToMinutes - request.FromMinutes) / static_cast<double>(columns);
    const auto sliceOf = [&](std::size_t i) {
        if (width <= 0) {
            return std::int64_t{0};
        }
        const double slice =
            std::floor((static_cast<double>(data.Minutes[i]) - request.FromMinutes) / width);
        return static_cast<std::int64_t>(std::clamp(slice, -1.0, static_cast<double>(columns)));
    };
    TSliceEnvelope envelope;
    std::int64_t currentSlice = sliceOf(first);
    for (std::size_t i = first; i <= last; ++i) {
        const std::int64_t slice = sliceOf(i);
        // A gap within one slice is narrower than a pixel: the line goes on through it.
        const bool newSegment = i > first && segments.Begins(i);
        if (slice != currentSlice) {
            envelope.FlushInto(lines.back(), data, values);
            if (newSegment) {
                lines.emplace_back();
            }
            currentSlice = slice;
        }
        envelope.Add(i, values[i]);
    }
    envelope.FlushInto(lines.back(), data, values);
    return lines;
}

std::size_t PointCount(const std::vector<TPolyline>& polylines) {
    std::size_t count = 0;
    for (const TPolyline& line : polylines) {
        count += line.size();
    }
    return count;
}

} // namespace Sondrel
