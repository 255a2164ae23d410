#include "TrendChart.h"

#include "TrendTimeAxis.h"

#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Sondrel {

namespace {

// Ten colours for the channels 1..9 and the total of a group (the health series take the
// first three); none is the amber or red of the limit lines.
constexpr std::array<QRgb, 10> kPalette{0x1f77b4, 0x2ca02c, 0x9467bd, 0x8c564b, 0xe377c2,
                                        0x7f7f7f, 0xbcbd22, 0x17becf, 0x005f5f, 0x000000};
constexpr int kMargin = 4;
const QColor kAlertColour(0xe6, 0x9f, 0x00);
const QColor kActionColour(0xd0, 0x10, 0x10);

std::size_t PlaceInGroup(TTrendSeries series) {
    switch (GroupOf(series)) {
    case TSeriesGroup::Counts:
        return SeriesIndex(series) - SeriesIndex(TTrendSeries::Counts1);
    case TSeriesGroup::Ppb:
        return SeriesIndex(series) - SeriesIndex(TTrendSeries::Ppb1);
    case TSeriesGroup::Health:
        break;
    }
    return SeriesIndex(series) - SeriesIndex(TTrendSeries::FlowRate);
}

bool IsTotal(TTrendSeries series) {
    return series == TTrendSeries::TotalCounts || series == TTrendSeries::TotalPpb;
}

QString LimitName(TLimitKind kind) {
    return IsActionLimit(kind) ? QStringLiteral("Action limit") : QStringLiteral("Alert limit");
}

// The values drawn, for the value axis's range; Lowest skips what a log axis cannot show.
struct TExtent {
    double Lowest = std::numeric_limits<double>::infinity();
    double Highest = -std::numeric_limits<double>::infinity();
    void Take(double value) {
        Lowest = std::min(Lowest, value);
        Highest = std::max(Highest, value);
    }
    bool Empty() const { return Lowest > Highest; }
};

} // namespace

QColor SeriesColour(TTrendSeries series) {
    return QColor(kPalette[std::min(PlaceInGroup(series), kPalette.size() - 1)]);
}

TTrendChart::TTrendChart(TSeriesGroup group, QObject* parent)
    : QObject(parent), FGroup(group), FScene(std::make_unique<QGraphicsScene>()),
      FChart(new QChart) {
    FScene->addItem(FChart);
    FChart->setTitle(QString::fromStdString(GroupName(group)));
    FChart->setBackgroundRoundness(0);
    FChart->setMargins(QMargins(kMargin, kMargin, kMargin, kMargin));
    FChart->legend()->setAlignment(Qt::AlignRight);
    FChart->legend()->setShowToolTips(true);

    FTimeAxis = new QCategoryAxis;
    FTimeAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    FTimeAxis->setTruncateLabels(false);
    FChart->addAxis(FTimeAxis, Qt::AlignBottom);
    MakeValueAxis();

    FCursorLine = new QGraphicsLineItem(FChart);
    FCursorLine->setPen(QPen(QColor(0x30, 0x30, 0x30), 1, Qt::SolidLine));
    FCursorLine->setZValue(1000);
    FCursorLine->hide();

    connect(FChart, &QChart::plotAreaChanged, this, [this] {
        if (Columns() != FDrawnColumns) {
            Redraw();
        }
        PlaceCursor();
    });
    Resize(QSizeF(800, 300));
    Rebuild();
}

TTrendChart::~TTrendChart() = default;

void TTrendChart::SetData(std::shared_ptr<const TTrendData> data) {
    FData = std::move(data);
    if (FData && FData->PointCount() > 0) {
        FRange.SetExtent(static_cast<double>(FData->Minutes.front()),
                         static_cast<double>(FData->Minutes.back()));
    } else {
        FRange.SetExtent(0, 0);
    }
    FCursor.reset();
    Redraw();
}

void TTrendChart::SetVisibleSeries(const std::set<TTrendSeries>& series) {
    std::set<TTrendSeries> ours;
    for (const TTrendSeries s : series) {
        if (GroupOf(s) == FGroup) {
            ours.insert(s);
        }
    }
    if (ours != FVisible) {
        FVisible = std::move(ours);
        Rebuild();
    }
}

void TTrendChart::SetLimits(const TInstrumentLimits& limits) {
    if (!(limits == FLimits)) {
        FLimits = limits;
        Rebuild();
    }
}

void TTrendChart::SetLogarithmic(bool logarithmic) {
    if (logarithmic == FLogarithmic) {
        return;
    }
    const bool before = IsLogarithmic();
    FLogarithmic = logarithmic;
    if (IsLogarithmic() != before) {
        MakeValueAxis();
        Rebuild();
    }
}

void TTrendChart::SetTimeRange(double fromMinutes, double toMinutes) {
    FRange.Set(fromMinutes, toMinutes);
    Redraw();
}

void TTrendChart::ResetRange() {
    FRange.Reset();
    Redraw();
}

void TTrendChart::SetCursor(std::optional<double> minutes) {
    FCursor = minutes;
    PlaceCursor();
}

void TTrendChart::Resize(QSizeF size) {
    FChart->resize(size);
    // The chart lays itself out when the event loop comes round; an offscreen rendering
    // needs the plot area now.
    FChart->layout()->activate();
}

void TTrendChart::SetInsets(qreal left, qreal right) {
    const auto room = [](qreal inset) {
        return kMargin + static_cast<int>(std::lround(std::max<qreal>(inset, 0)));
    };
    const QMargins margins(room(left), kMargin, room(right), kMargin);
    if (FChart->margins() != margins) {
        FChart->setMargins(margins);
        FChart->layout()->activate();
    }
}

QRectF TTrendChart::NaturalPlotArea() const {
    const QMargins margins = FChart->margins();
    return PlotArea().adjusted(-(margins.left() - kMargin), 0, margins.right() - kMargin, 0);
}

void TTrendChart::Render(QPainter& painter, const QRectF& target) {
    if (FChart->size() != target.size()) {
        Resize(target.size());
    }
    FScene->render(&painter, target, FChart->geometry());
}

QImage TTrendChart::ToImage(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Render(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

QRectF TTrendChart::PlotArea() const {
    return FChart->plotArea();
}

double TTrendChart::MinutesAt(double x) const {
    const QRectF plot = PlotArea();
    if (plot.width() <= 0) {
        return FRange.From();
    }
    return FRange.From() + (x - plot.left()) / plot.width() * FRange.Span();
}

double TTrendChart::XOf(double minutes) const {
    const QRectF plot = PlotArea();
    return plot.left() + (minutes - FRange.From()) / FRange.Span() * plot.width();
}

std::vector<QLineSeries*> TTrendChart::Polylines(TTrendSeries series) const {
    for (const TDrawnSeries& drawn : FDrawn) {
        if (drawn.Series == series) {
            std::vector<QLineSeries*> lines;
            for (QLineSeries* line : drawn.Lines) {
                if (line->count() > 0) {
                    lines.push_back(line);
                }
            }
            return lines;
        }
    }
    return {};
}

std::vector<QLineSeries*> TTrendChart::LimitLines(TLimitKind kind) const {
    std::vector<QLineSeries*> lines;
    for (const TLimitLine& limit : FLimitLines) {
        if (limit.Kind == kind) {
            lines.push_back(limit.Line);
        }
    }
    return lines;
}

std::size_t TTrendChart::Columns() const {
    return static_cast<std::size_t>(std::max(1.0, std::round(PlotArea().width())));
}

// The series and limit lines anew (what is visible, the limits or the axis changed).
void TTrendChart::Rebuild() {
    for (TDrawnSeries& drawn : FDrawn) {
        for (QLineSeries* line : drawn.Lines) {
            RemoveLine(line);
        }
    }
    for (const TLimitLine& limit : FLimitLines) {
        RemoveLine(limit.Line);
    }
    FDrawn.clear();
    FLimitLines.clear();
    for (const TTrendSeries series : FVisible) {
        const qreal width = IsTotal(series) ? 2.0 : 1.0;
        QLineSeries* first = NewLine(SeriesColour(series), width, Qt::SolidLine);
        first->setName(QString::fromStdString(SeriesName(series)));
        FDrawn.push_back({series, {first}});
    }
    std::array<bool, kLimitKindCount> named{};
    for (const TTrendSeries series : FVisible) {
        for (const TLimitKind kind : AllLimitKinds()) {
            const auto value = FLimits.Of(series).Of(kind);
            // A log axis cannot place a limit at or below zero.
            if (!value || !std::isfinite(*value) || (IsLogarithmic() && *value <= 0)) {
                continue;
            }
            QLineSeries* line =
                NewLine(IsActionLimit(kind) ? kActionColour : kAlertColour, 1.5, Qt::DashLine);
            line->setName(LimitName(kind));
            line->setProperty("limit", *value);
            // Alert high and low share a legend entry, as do action high and low.
            const std::size_t entry = IsActionLimit(kind) ? 1 : 0;
            if (named[entry]) {
                FChart->legend()->markers(line).front()->setVisible(false);
            }
            named[entry] = true;
            FLimitLines.push_back({kind, line});
        }
    }
    Redraw();
}

void TTrendChart::Redraw() {
    if (FDrawing) {
        return;
    }
    FDrawing = true;
    const std::size_t columns = Columns();
    const TDecimationRequest request{FRange.From(), FRange.To(), columns};
    TExtent extent;
    std::vector<std::vector<TPolyline>> decimated(FDrawn.size());
    for (std::size_t i = 0; i < FDrawn.size(); ++i) {
        if (FData) {
            decimated[i] = DecimateSeries(*FData, FDrawn[i].Series, request);
        }
        for (const TPolyline& polyline : decimated[i]) {
            for (const TTrendPoint& point : polyline) {
                if (!IsLogarithmic() || point.Value > 0) {
                    extent.Take(point.Value);
                }
            }
        }
    }
    for (const TLimitLine& limit : FLimitLines) {
        extent.Take(limit.Line->property("limit").toDouble());
    }
    // The lines are emptied before the axes take their new ranges: every change of a range
    // lays out the points a series holds, and the old ones are not worth that.
    for (TDrawnSeries& drawn : FDrawn) {
        for (QLineSeries* line : drawn.Lines) {
            line->clear();
        }
    }
    UpdateTimeAxis();
    if (IsLogarithmic()) {
        const double low = extent.Empty() ? 1 : extent.Lowest / 2;
        const double high = extent.Empty() ? 10 : std::max(extent.Highest * 2, low * 10);
        static_cast<QLogValueAxis*>(FValueAxis)->setRange(low, high);
    } else {
        auto* axis = static_cast<QValueAxis*>(FValueAxis);
        double low = extent.Empty() ? 0 : extent.Lowest;
        double high = extent.Empty() ? 1 : extent.Highest;
        const double pad = high > low ? (high - low) * 0.05 : std::max(std::abs(high) * 0.1, 1.0);
        // Counts and conditions are never negative: the axis starts at zero rather than below.
        low = low >= 0 ? std::max(0.0, low - pad) : low - pad;
        axis->setRange(low, high + pad);
        axis->applyNiceNumbers();
    }
    for (std::size_t i = 0; i < FDrawn.size(); ++i) {
        DrawSeries(FDrawn[i], std::move(decimated[i]));
    }
    for (const TLimitLine& limit : FLimitLines) {
        const double value = limit.Line->property("limit").toDouble();
        limit.Line->replace(
            QList<QPointF>{QPointF(FRange.From(), value), QPointF(FRange.To(), value)});
    }
    PlaceCursor();
    FDrawnColumns = columns;
    FDrawing = false;
}

// One line series per polyline; the first always stays (it holds the legend's entry), the
// others are made or removed as the count changes.
void TTrendChart::DrawSeries(TDrawnSeries& drawn, std::vector<TPolyline> polylines) {
    std::vector<QList<QPointF>> parts;
    for (const TPolyline& polyline : polylines) {
        QList<QPointF> part;
        part.reserve(static_cast<qsizetype>(polyline.size()));
        for (const TTrendPoint& point : polyline) {
            // A logarithmic axis has no place for zero or a negative value: such points are
            // left out and the line breaks there rather than joining its neighbours.
            if (IsLogarithmic() && point.Value <= 0) {
                if (!part.isEmpty()) {
                    parts.push_back(std::move(part));
                    part = {};
                }
                continue;
            }
            part.append(QPointF(point.Minutes, point.Value));
        }
        if (!part.isEmpty()) {
            parts.push_back(std::move(part));
        }
    }
    const std::size_t wanted = std::max<std::size_t>(parts.size(), 1);
    while (drawn.Lines.size() > wanted) {
        RemoveLine(drawn.Lines.back());
        drawn.Lines.pop_back();
    }
    const QPen pen = drawn.Lines.front()->pen();
    while (drawn.Lines.size() < wanted) {
        QLineSeries* line = NewLine(pen.color(), pen.widthF(), Qt::SolidLine);
        FChart->legend()->markers(line).front()->setVisible(false);
        drawn.Lines.push_back(line);
    }
    for (std::size_t i = 0; i < drawn.Lines.size(); ++i) {
        drawn.Lines[i]->replace(i < parts.size() ? parts[i] : QList<QPointF>{});
    }
}

void TTrendChart::UpdateTimeAxis() {
    for (const QString& label : FTimeAxis->categoriesLabels()) {
        FTimeAxis->remove(label);
    }
    FTimeAxis->setRange(FRange.From(), FRange.To());
    FTimeAxis->setStartValue(FRange.From());
    const auto most = static_cast<std::size_t>(std::max(2.0, PlotArea().width() / 110));
    for (const TTimeTick& tick : TimeTicks(FRange.From(), FRange.To(), most)) {
        const QString label = QString::fromStdString(tick.Label);
        if (!FTimeAxis->categoriesLabels().contains(label)) {
            FTimeAxis->append(label, tick.Minutes);
        }
    }
}

void TTrendChart::MakeValueAxis() {
    QAbstractAxis* old = FValueAxis;
    if (IsLogarithmic()) {
        auto* axis = new QLogValueAxis;
        axis->setBase(10);
        axis->setLabelFormat(QStringLiteral("%g"));
        axis->setMinorTickCount(-1);
        FValueAxis = axis;
    } else {
        auto* axis = new QValueAxis;
        axis->setLabelFormat(QStringLiteral("%g"));
        FValueAxis = axis;
    }
    FChart->addAxis(FValueAxis, Qt::AlignLeft);
    if (old) {
        FChart->removeAxis(old);
        delete old;
    }
}

QLineSeries* TTrendChart::NewLine(const QColor& colour, qreal width, Qt::PenStyle style) {
    auto* line = new QLineSeries;
    QPen pen(colour, width, style);
    pen.setCosmetic(true);
    line->setPen(pen);
    FChart->addSeries(line);
    line->attachAxis(FTimeAxis);
    line->attachAxis(FValueAxis);
    return line;
}

void TTrendChart::RemoveLine(QLineSeries* line) {
    FChart->removeSeries(line);
    delete line;
}

void TTrendChart::PlaceCursor() {
    if (!FCursor || *FCursor < FRange.From() || *FCursor > FRange.To()) {
        FCursorLine->hide();
        return;
    }
    const QRectF plot = PlotArea();
    const double x = XOf(*FCursor);
    FCursorLine->setLine(x, plot.top(), x, plot.bottom());
    FCursorLine->show();
}

} // namespace Sondrel
