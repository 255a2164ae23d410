// Writing a drawing of the charts to a PNG or SVG file.
//
// The file is written to a temporary file beside it and renamed over it only when complete,
// so a failed export leaves no half-written file (and an older file of that name as it was).
//
// Not thread-safe: the GUI thread (SVG and image painting use Qt's GUI classes).
#pragma once

#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

class QPainter;

namespace Sondrel {

enum class TChartFormat { Png, Svg };

inline constexpr int kExportLeastSide = 200;
inline constexpr int kExportMostSide = 8000;

// By the file name's extension (".png", ".svg", any case); nothing for another one.
std::optional<TChartFormat> ChartFormatOf(const QString& path);
QString ChartFormatExtension(TChartFormat format);

struct TChartExportResult {
    bool Ok = false;
    QString Error; // names the file and the cause
};

// Calls draw(painter, target) once on a painter of the given size and writes the result.
TChartExportResult WriteChart(const QString& path, TChartFormat format, QSize size,
                              const std::function<void(QPainter&, const QRectF&)>& draw);

} // namespace Sondrel
