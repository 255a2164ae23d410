// Arbitrary record blocks (as an archive or a line may hold them) made into a trend, drawn,
// searched for excursions and summed up; or arbitrary bytes read as the limits file.
// Mode byte 0: the rest is a limits file; it reads without raising, every limit it gives is a
// finite number, and writing those limits back reads back the same.
// Otherwise: 16 bytes choose the visible range, the columns and a limit, the rest are blocks
// of 104 registers. The points come out sorted, segments start inside the points, the drawing
// keeps at most four points a column (plus the two beyond the ends) in time order, no more
// lines than columns once decimated, and every excursion lies inside the points beyond its limit.
#include "Excursions.h"
#include "LimitsFile.h"
#include "TrendDecimation.h"
#include "TrendStatistics.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

using namespace Sondrel;

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

template <typename T>
T Take(const std::uint8_t*& data, std::size_t& size) {
    T value{};
    const std::size_t n = std::min(size, sizeof value);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

void FuzzLimitsFile(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("fuzz_limits_" + std::to_string(getpid()));
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TLimitsFile file(path);
    const TLimitsRead read = file.Read("name fuzz");
    for (const TSeriesLimits& series : read.Limits.Series) {
        for (const auto& limit : series.Limits) {
            Check(!limit || std::isfinite(*limit));
        }
    }
    try {
        file.Write("name fuzz", read.Limits);
        Check(file.Read("name fuzz").Limits == read.Limits);
    } catch (const std::exception&) {
        // A file the profile format refuses to rewrite (too large) is left alone.
    }
    std::filesystem::remove(path);
}

void FuzzTrend(const std::uint8_t* data, std::size_t size) {
    const auto from = Take<std::int32_t>(data, size);
    const auto span = Take<std::uint32_t>(data, size);
    const auto columns = Take<std::uint16_t>(data, size);
    const auto series =
        static_cast<TTrendSeries>(Take<std::uint8_t>(data, size) % kTrendSeriesCount);
    const auto kind = static_cast<TLimitKind>(Take<std::uint8_t>(data, size) % kLimitKindCount);
    const auto limit = Take<std::uint32_t>(data, size);

    TTrendDataBuilder builder;
    std::int32_t row = 0;
    while (size > 0) {
        std::vector<std::uint16_t> registers(104);
        for (auto& r : registers) {
            r = Take<std::uint16_t>(data, size);
        }
        if (const auto item = TRecordItem::FromRegisters(registers, row, 0)) {
            builder.Add(*item, row);
        }
        ++row;
    }
    const TTrendData trend = builder.Finish();
    const std::size_t points = trend.PointCount();
    Check(std::is_sorted(trend.Minutes.begin(), trend.Minutes.end()));
    Check(points + static_cast<std::size_t>(trend.LeftOut) == static_cast<std::size_t>(row));
    Check(points == 0 || (!trend.SegmentStarts.empty() && trend.SegmentStarts[0] == 0));
    for (const std::size_t start : trend.SegmentStarts) {
        Check(start < points);
    }

    const double base = points > 0 ? static_cast<double>(trend.Minutes.front()) : 0;
    const TDecimationRequest request{base + from % 100000, base + from % 100000 + span % 200000,
                                     std::max<std::size_t>(1, columns % 4000)};
    const auto lines = DecimateSeries(trend, series, request);
    Check(lines.size() <= std::max(request.Columns + 2, points));
    Check(PointCount(lines) <= 4 * (request.Columns + 2));
    double last = -INFINITY;
    for (const TPolyline& line : lines) {
        for (const TTrendPoint& point : line) {
            Check(point.Minutes >= last);
            last = point.Minutes;
        }
    }

    TInstrumentLimits limits;
    limits.Of(series).Set(kind, static_cast<double>(limit % 100000));
    for (const TExcursion& excursion : FindExcursions(trend, limits)) {
        Check(excursion.FirstPoint <= excursion.LastPoint && excursion.LastPoint < points);
        for (std::size_t i = excursion.FirstPoint; i <= excursion.LastPoint; ++i) {
            Check(limits.Of(series).Beyond(kind, trend.Of(series)[i]));
        }
    }
    if (const auto statistics = SeriesStatistics(trend, series)) {
        Check(statistics->Min <= statistics->Percentile95 &&
              statistics->Percentile95 <= statistics->Max);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    if (data[0] == 0) {
        FuzzLimitsFile(data + 1, size - 1);
    } else {
        FuzzTrend(data + 1, size - 1);
    }
    return 0;
}
