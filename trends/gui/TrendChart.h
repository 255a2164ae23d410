// TTrendChart: the chart of one series group (Counts, PPB or Health) of a trend over a time
// range, drawn offscreen or in a view.
//
// Each visible series of the group is drawn as the polylines DecimateSeries gives for the
// range and the plot area's width, so that a million points draw as fast as a thousand; they
// are decimated again whenever the range or the width changes. The legend names each series
// once (not once per polyline), and a series keeps its colour in every chart. The limits of
// the visible series are horizontal lines across the range, alert dashed amber and action
// dashed red, each kind named once in the legend.
//
// The time axis shows the instrument's own clock as the record table does: its labels are
// made from the minutes themselves (TimeTicks), never through the computer's time zone.
//
// The chart lives in a scene of its own, so it renders without a view (Render, ToImage); a
// view may show that scene (Scene()). Not thread-safe: the GUI thread only.
#pragma once

#include "TrendData.h"
#include "TrendDecimation.h"
#include "TrendLimits.h"
#include "TrendSeries.h"
#include "TrendTimeRange.h"

#include <QColor>
#include <QImage>
#include <QObject>
#include <QRectF>

#include <array>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class QAbstractAxis;
class QCategoryAxis;
class QChart;
class QGraphicsLineItem;
class QGraphicsScene;
class QLineSeries;
class QPainter;

namespace Sondrel {

// The colour a series is drawn in, in every chart and legend.
QColor SeriesColour(TTrendSeries series);

class TTrendChart : public QObject {
    Q_OBJECT

public:
    explicit TTrendChart(TSeriesGroup group, QObject* parent = nullptr);
    ~TTrendChart() override;

    TSeriesGroup Group() const { return FGroup; }

    // The data to draw (none draws an empty chart); the range is reset to the whole data.
    void SetData(std::shared_ptr<const TTrendData> data);
    const std::shared_ptr<const TTrendData>& Data() const { return FData; }
    // Series of other groups are ignored.
    void SetVisibleSeries(const std::set<TTrendSeries>& series);
    const std::set<TTrendSeries>& VisibleSeries() const { return FVisible; }
    void SetLimits(const TInstrumentLimits& limits);
    // A logarithmic value axis for Counts and PPB; Health ignores it.
    void SetLogarithmic(bool logarithmic);
    bool IsLogarithmic() const { return FLogarithmic && FGroup != TSeriesGroup::Health; }

    // The visible range in minutes (kept within the data; see TTrendTimeRange).
    void SetTimeRange(double fromMinutes, double toMinutes);
    void ResetRange();
    double FromMinutes() const { return FRange.From(); }
    double ToMinutes() const { return FRange.To(); }
    const TTrendTimeRange& Range() const { return FRange; }

    // A vertical line at these minutes (nothing hides it).
    void SetCursor(std::optional<double> minutes);

    // Draws the chart into `target` of the painter at the target's size.
    void Render(QPainter& painter, const QRectF& target);
    QImage ToImage(QSize size);

    // The chart's size (a view resizes it to its own).
    void Resize(QSizeF size);
    // Extra room left and right of the plot, so that stacked charts, whose value labels and
    // legends differ in width, place a minute at one place.
    void SetInsets(qreal left, qreal right);
    // The plot area the chart would have without those insets.
    QRectF NaturalPlotArea() const;
    QRectF PlotArea() const;
    // The minutes at a horizontal position of the chart, and back.
    double MinutesAt(double x) const;
    double XOf(double minutes) const;

    QChart* Chart() const { return FChart; }
    QGraphicsScene* Scene() const { return FScene.get(); }
    // What is drawn, for tests: the polylines of a series, the limit lines of a kind.
    std::vector<QLineSeries*> Polylines(TTrendSeries series) const;
    std::vector<QLineSeries*> LimitLines(TLimitKind kind) const;
    QAbstractAxis* ValueAxis() const { return FValueAxis; }
    QCategoryAxis* TimeAxis() const { return FTimeAxis; }

private:
    struct TDrawnSeries {
        TTrendSeries Series;
        std::vector<QLineSeries*> Lines; // the first holds the legend's entry
    };
    struct TLimitLine {
        TLimitKind Kind;
        QLineSeries* Line;
    };

    void Rebuild();
    void Redraw();
    void DrawSeries(TDrawnSeries& drawn, std::vector<TPolyline> polylines);
    void DrawLimits();
    void UpdateTimeAxis();
    void UpdateValueAxis();
    void MakeValueAxis();
    QLineSeries* NewLine(const QColor& colour, qreal width, Qt::PenStyle style);
    void RemoveLine(QLineSeries* line);
    void PlaceCursor();
    std::size_t Columns() const;

    TSeriesGroup FGroup;
    std::shared_ptr<const TTrendData> FData;
    std::set<TTrendSeries> FVisible;
    TInstrumentLimits FLimits;
    bool FLogarithmic = false;
    TTrendTimeRange FRange;
    std::optional<double> FCursor;

    std::unique_ptr<QGraphicsScene> FScene; // owns the chart, the chart its series and axes
    QChart* FChart = nullptr;
    QCategoryAxis* FTimeAxis = nullptr;
    QAbstractAxis* FValueAxis = nullptr;
    QGraphicsLineItem* FCursorLine = nullptr;
    std::vector<TDrawnSeries> FDrawn;
    std::vector<TLimitLine> FLimitLines;
    // The width the last drawing was made for, so that a change of the plot area that does not
    // change its width (a higher value label) does not draw again.
    std::size_t FDrawnColumns = 0;
    bool FDrawing = false;
};

} // namespace Sondrel
