// TTrendsView: the trends of a record list or an archive range as the operator works with
// them: the series to show (grouped Counts, PPB, Health), a logarithmic value axis, the charts
// of the groups that have a visible series stacked on one shared time range, a cursor that
// reads the values of the record nearest the mouse, Reset Zoom, and Export Chart.
//
// The data may be handed over (SetData) or built by a source when the view needs it
// (SetSource, Invalidate): then it is built when the view is shown, or at once when it is
// visible, never for a view nobody looks at.
//
// Default series: Total Cnts, Total PPB and Flow Rate.
#pragma once

#include "TrendChart.h"
#include "TrendExport.h"
#include "TrendTimeRange.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <set>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace Sondrel {

class TTrendPlotView;

class TTrendsView : public QWidget {
    Q_OBJECT

public:
    using TSource = std::function<std::shared_ptr<const TTrendData>()>;

    explicit TTrendsView(QWidget* parent = nullptr);
    ~TTrendsView() override;

    void SetData(std::shared_ptr<const TTrendData> trend);
    const std::shared_ptr<const TTrendData>& Data() const { return FData; }
    // The source builds the data; Invalidate says that the source's data changed.
    void SetSource(TSource source);
    void Invalidate();

    // What the view says while it has no records to chart ("No records to chart" at first).
    void SetEmptyText(const QString& text);

    void SetLimits(const TInstrumentLimits& limits);
    void SetVisibleSeries(const std::set<TTrendSeries>& series);
    std::set<TTrendSeries> VisibleSeries() const;
    void SetLogarithmic(bool logarithmic);

    void SetTimeRange(double fromMinutes, double toMinutes);
    void ResetZoom();
    const TTrendTimeRange& Range() const { return FRange; }

    // Places the cursor at the point nearest these minutes (the mouse does this).
    void ShowCursorAt(double minutes);
    std::optional<std::size_t> CursorPoint() const { return FCursorPoint; }

    // The stacked charts of the visible groups drawn into target (what Export Chart writes).
    void Render(QPainter& painter, const QRectF& target) const;
    TChartExportResult ExportChart(const QString& path, TChartFormat format, QSize size) const;

    TTrendChart& Chart(TSeriesGroup group) const;
    TTrendPlotView& PlotView(TSeriesGroup group) const;

signals:
    void RangeChanged(double fromMinutes, double toMinutes);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildFromSource();
    void ApplyRange();
    void AlignPlots();
    void ApplyVisible();
    void UpdateTexts();
    void ExportWithDialog();
    void SeriesItemChanged(QTreeWidgetItem* item);
    std::vector<TSeriesGroup> ShownGroups() const;

    std::shared_ptr<const TTrendData> FData;
    TSource FSource;
    bool FStale = false;
    bool FBuildQueued = false;
    bool FBuilding = false;
    TInstrumentLimits FLimits;
    bool FLogarithmic = false;
    TTrendTimeRange FRange;
    std::optional<std::size_t> FCursorPoint;
    QString FLastExport;

    std::array<std::unique_ptr<TTrendChart>, kSeriesGroupCount> FCharts;
    std::array<TTrendPlotView*, kSeriesGroupCount> FPlots{};
    QTreeWidget* FSeriesList;
    QCheckBox* FLogarithmicBox;
    QPushButton* FResetButton;
    QPushButton* FExportButton;
    QLabel* FCountLabel;
    QLabel* FCursorLabel;
    QLabel* FEmptyLabel;
    QString FEmptyText = QStringLiteral("No records to chart");
    QWidget* FChartsArea;
};

} // namespace Sondrel
