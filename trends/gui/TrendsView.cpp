#include "TrendsView.h"

#include "TrendExportDialog.h"
#include "TrendPlotView.h"

#include <QCheckBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <limits>

namespace Sondrel {

namespace {

constexpr int kSeriesRole = Qt::UserRole;

const std::set<TTrendSeries> kDefaultSeries{TTrendSeries::TotalCounts, TTrendSeries::TotalPpb,
                                            TTrendSeries::FlowRate};
constexpr std::array<TSeriesGroup, kSeriesGroupCount> kGroups{
    TSeriesGroup::Counts, TSeriesGroup::Ppb, TSeriesGroup::Health};
constexpr std::array<const char*, kSeriesGroupCount> kPlotNames{"countsChart", "ppbChart",
                                                                "healthChart"};

QIcon Swatch(const QColor& colour) {
    QPixmap pixmap(12, 12);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

QString ValueText(double value) {
    return QString::number(value, 'g', 10);
}

// The value axes' labels and the legends differ in width from chart to chart; the charts get
// room on either side so that one minute is at one place in every chart.
void AlignCharts(const std::vector<TTrendChart*>& charts) {
    qreal left = 0;
    qreal right = std::numeric_limits<qreal>::max();
    for (const TTrendChart* chart : charts) {
        const QRectF natural = chart->NaturalPlotArea();
        left = std::max(left, natural.left());
        right = std::min(right, natural.right());
    }
    // Charts whose insets stay as they are are not laid out (or drawn) again.
    for (TTrendChart* chart : charts) {
        const QRectF natural = chart->NaturalPlotArea();
        chart->SetInsets(left - natural.left(), natural.right() - right);
    }
}

} // namespace

TTrendsView::TTrendsView(QWidget* parent)
    : QWidget(parent), FSeriesList(new QTreeWidget),
      FLogarithmicBox(new QCheckBox(QStringLiteral("Logarithmic"))),
      FResetButton(new QPushButton(QStringLiteral("Reset Zoom"))),
      FExportButton(new QPushButton(QStringLiteral("Export Chart..."))), FCountLabel(new QLabel),
      FCursorLabel(new QLabel), FEmptyLabel(new QLabel), FChartsArea(new QWidget) {
    FSeriesList->setObjectName(QStringLiteral("seriesList"));
    FLogarithmicBox->setObjectName(QStringLiteral("logarithmicCheck"));
    FResetButton->setObjectName(QStringLiteral("resetZoomButton"));
    FExportButton->setObjectName(QStringLiteral("exportChartButton"));
    FCountLabel->setObjectName(QStringLiteral("recordCountLabel"));
    FCursorLabel->setObjectName(QStringLiteral("cursorLabel"));
    FEmptyLabel->setObjectName(QStringLiteral("emptyLabel"));
    FChartsArea->setObjectName(QStringLiteral("chartsArea"));

    FSeriesList->setHeaderHidden(true);
    FSeriesList->setRootIsDecorated(true);
    FSeriesList->setMaximumWidth(200);
    for (const TSeriesGroup group : kGroups) {
        auto* groupItem = new QTreeWidgetItem(FSeriesList);
        groupItem->setText(0, QString::fromStdString(GroupName(group)));
        groupItem->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
        for (const TTrendSeries series : AllTrendSeries()) {
            if (GroupOf(series) != group) {
                continue;
            }
            auto* item = new QTreeWidgetItem(groupItem);
            item->setText(0, QString::fromStdString(SeriesName(series)));
            item->setIcon(0, Swatch(SeriesColour(series)));
            item->setData(0, kSeriesRole, static_cast<int>(SeriesIndex(series)));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(0, kDefaultSeries.contains(series) ? Qt::Checked : Qt::Unchecked);
        }
        groupItem->setExpanded(true);
    }

    FCursorLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FCursorLabel->setWordWrap(true);
    FEmptyLabel->setAlignment(Qt::AlignCenter);
    FEmptyLabel->setText(FEmptyText);

    auto* chartsLayout = new QVBoxLayout(FChartsArea);
    chartsLayout->setContentsMargins(0, 0, 0, 0);
    chartsLayout->setSpacing(2);
    for (std::size_t g = 0; g < kSeriesGroupCount; ++g) {
        FCharts[g] = std::make_unique<TTrendChart>(kGroups[g]);
        auto* plot = new TTrendPlotView(*FCharts[g]);
        plot->setObjectName(QLatin1String(kPlotNames[g]));
        FPlots[g] = plot;
        chartsLayout->addWidget(plot, 1);
        connect(plot, &TTrendPlotView::ZoomRequested, this, [this](double about, double factor) {
            FRange.ZoomAbout(about, factor);
            ApplyRange();
        });
        connect(plot, &TTrendPlotView::ZoomToRequested, this, [this](double from, double to) {
            FRange.ZoomTo(from, to);
            ApplyRange();
        });
        connect(plot, &TTrendPlotView::PanRequested, this, [this](double minutes) {
            FRange.PanBy(minutes);
            ApplyRange();
        });
        connect(plot, &TTrendPlotView::ResetRequested, this, &TTrendsView::ResetZoom);
        connect(plot, &TTrendPlotView::CursorRequested, this, &TTrendsView::ShowCursorAt);
        connect(plot, &TTrendPlotView::Resized, this, &TTrendsView::AlignPlots);
    }

    auto* side = new QVBoxLayout;
    side->addWidget(FSeriesList, 1);
    side->addWidget(FLogarithmicBox);
    side->addWidget(FResetButton);
    side->addWidget(FExportButton);
    auto* main = new QVBoxLayout;
    main->addWidget(FCountLabel);
    main->addWidget(FChartsArea, 1);
    main->addWidget(FEmptyLabel, 1);
    main->addWidget(FCursorLabel);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side);
    layout->addLayout(main, 1);

    connect(FSeriesList, &QTreeWidget::itemChanged, this, &TTrendsView::SeriesItemChanged);
    connect(FLogarithmicBox, &QCheckBox::toggled, this, &TTrendsView::SetLogarithmic);
    connect(FResetButton, &QPushButton::clicked, this, &TTrendsView::ResetZoom);
    connect(FExportButton, &QPushButton::clicked, this, &TTrendsView::ExportWithDialog);

    FLastExport = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                      .filePath(QStringLiteral("trends.png"));
    ApplyVisible();
    SetData(nullptr);
}

TTrendsView::~TTrendsView() {
    // The views show the charts' scenes: they go first.
    for (TTrendPlotView*& plot : FPlots) {
        delete plot;
        plot = nullptr;
    }
}

void TTrendsView::SetData(std::shared_ptr<const TTrendData> trend) {
    FData = std::move(trend);
    FStale = false;
    if (FData && FData->PointCount() > 0) {
        FRange.SetExtent(static_cast<double>(FData->Minutes.front()),
                         static_cast<double>(FData->Minutes.back()));
    } else {
        FRange.SetExtent(0, 0);
    }
    FCursorPoint.reset();
    for (const auto& chart : FCharts) {
        chart->SetData(FData);
    }
    ApplyRange();
    UpdateTexts();
}

void TTrendsView::SetEmptyText(const QString& text) {
    FEmptyText = text;
    UpdateTexts();
}

void TTrendsView::SetSource(TSource source) {
    FSource = std::move(source);
    Invalidate();
}

void TTrendsView::Invalidate() {
    FStale = true;
    if (isVisible() && !FBuildQueued) {
        // Built once when the events of the change are over, however many there were.
        FBuildQueued = true;
        QTimer::singleShot(0, this, [this] {
            FBuildQueued = false;
            if (FStale && isVisible()) {
                BuildFromSource();
            }
        });
    }
}

void TTrendsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (FStale) {
        BuildFromSource();
    }
}

void TTrendsView::BuildFromSource() {
    // A source that keeps the window painting (a long archive read) may see the data change
    // again: that is built once this build is over.
    if (FBuilding) {
        FStale = true;
        return;
    }
    FBuilding = true;
    FStale = false;
    std::shared_ptr<const TTrendData> trend = FSource ? FSource() : nullptr;
    FBuilding = false;
    const bool again = FStale;
    SetData(std::move(trend));
    if (again) {
        Invalidate();
    }
}

void TTrendsView::SetLimits(const TInstrumentLimits& limits) {
    FLimits = limits;
    for (const auto& chart : FCharts) {
        chart->SetLimits(limits);
    }
    AlignPlots();
}

void TTrendsView::SetVisibleSeries(const std::set<TTrendSeries>& series) {
    {
        const QSignalBlocker blocker(FSeriesList);
        for (int g = 0; g < FSeriesList->topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = FSeriesList->topLevelItem(g);
            for (int i = 0; i < group->childCount(); ++i) {
                QTreeWidgetItem* item = group->child(i);
                const auto s = static_cast<TTrendSeries>(item->data(0, kSeriesRole).toInt());
                item->setCheckState(0, series.contains(s) ? Qt::Checked : Qt::Unchecked);
            }
        }
    }
    ApplyVisible();
}

std::set<TTrendSeries> TTrendsView::VisibleSeries() const {
    std::set<TTrendSeries> visible;
    for (int g = 0; g < FSeriesList->topLevelItemCount(); ++g) {
        const QTreeWidgetItem* group = FSeriesList->topLevelItem(g);
        for (int i = 0; i < group->childCount(); ++i) {
            const QTreeWidgetItem* item = group->child(i);
            if (item->checkState(0) == Qt::Checked) {
                visible.insert(static_cast<TTrendSeries>(item->data(0, kSeriesRole).toInt()));
            }
        }
    }
    return visible;
}

void TTrendsView::SetLogarithmic(bool logarithmic) {
    FLogarithmic = logarithmic;
    if (FLogarithmicBox->isChecked() != logarithmic) {
        FLogarithmicBox->setChecked(logarithmic);
    }
    for (const auto& chart : FCharts) {
        chart->SetLogarithmic(logarithmic);
    }
    AlignPlots();
}

void TTrendsView::SetTimeRange(double fromMinutes, double toMinutes) {
    FRange.Set(fromMinutes, toMinutes);
    ApplyRange();
}

void TTrendsView::ResetZoom() {
    FRange.Reset();
    ApplyRange();
}

void TTrendsView::ShowCursorAt(double minutes) {
    FCursorPoint = FData ? FData->NearestPoint(minutes) : std::nullopt;
    const std::optional<double> at =
        FCursorPoint ? std::optional<double>(static_cast<double>(FData->Minutes[*FCursorPoint]))
                     : std::nullopt;
    for (const auto& chart : FCharts) {
        chart->SetCursor(at);
    }
    UpdateTexts();
}

void TTrendsView::Render(QPainter& painter, const QRectF& target) const {
    const std::vector<TSeriesGroup> groups = ShownGroups();
    if (groups.empty()) {
        painter.drawText(target, Qt::AlignCenter, FEmptyLabel->text());
        return;
    }
    // Charts of their own, so that the operator's charts keep their size and cursor.
    const double height = target.height() / static_cast<double>(groups.size());
    std::vector<std::unique_ptr<TTrendChart>> charts;
    std::vector<TTrendChart*> aligned;
    for (const TSeriesGroup group : groups) {
        auto chart = std::make_unique<TTrendChart>(group);
        chart->Resize(QSizeF(target.width(), height));
        chart->SetData(FData);
        chart->SetVisibleSeries(VisibleSeries());
        chart->SetLimits(FLimits);
        chart->SetLogarithmic(FLogarithmic);
        chart->SetTimeRange(FRange.From(), FRange.To());
        aligned.push_back(chart.get());
        charts.push_back(std::move(chart));
    }
    AlignCharts(aligned);
    for (std::size_t i = 0; i < charts.size(); ++i) {
        charts[i]->Render(painter,
                          QRectF(target.left(), target.top() + height * static_cast<double>(i),
                                 target.width(), height));
    }
}

TChartExportResult TTrendsView::ExportChart(const QString& path, TChartFormat format,
                                            QSize size) const {
    return WriteChart(path, format, size,
                      [this](QPainter& painter, const QRectF& target) { Render(painter, target); });
}

TTrendChart& TTrendsView::Chart(TSeriesGroup group) const {
    return *FCharts[static_cast<std::size_t>(group)];
}

TTrendPlotView& TTrendsView::PlotView(TSeriesGroup group) const {
    return *FPlots[static_cast<std::size_t>(group)];
}

void TTrendsView::ApplyRange() {
    for (const auto& chart : FCharts) {
        chart->SetTimeRange(FRange.From(), FRange.To());
    }
    AlignPlots();
    emit RangeChanged(FRange.From(), FRange.To());
}

void TTrendsView::AlignPlots() {
    std::vector<TTrendChart*> shown;
    for (const TSeriesGroup group : ShownGroups()) {
        shown.push_back(&Chart(group));
    }
    AlignCharts(shown);
}

void TTrendsView::ApplyVisible() {
    const std::set<TTrendSeries> visible = VisibleSeries();
    for (const auto& chart : FCharts) {
        chart->SetVisibleSeries(visible);
    }
    AlignPlots();
    UpdateTexts();
}

void TTrendsView::SeriesItemChanged(QTreeWidgetItem* item) {
    if (item->data(0, kSeriesRole).isValid()) {
        ApplyVisible();
    }
}

// The groups that have data and a visible series.
std::vector<TSeriesGroup> TTrendsView::ShownGroups() const {
    std::vector<TSeriesGroup> groups;
    if (!FData || FData->PointCount() == 0) {
        return groups;
    }
    for (const auto& chart : FCharts) {
        if (!chart->VisibleSeries().empty()) {
            groups.push_back(chart->Group());
        }
    }
    return groups;
}

void TTrendsView::UpdateTexts() {
    const std::vector<TSeriesGroup> groups = ShownGroups();
    for (std::size_t g = 0; g < kSeriesGroupCount; ++g) {
        FPlots[g]->setVisible(std::find(groups.begin(), groups.end(), kGroups[g]) != groups.end());
    }
    const bool any = FData && FData->PointCount() > 0;
    FChartsArea->setVisible(!groups.empty());
    FEmptyLabel->setVisible(groups.empty());
    FEmptyLabel->setText(any ? QStringLiteral("Choose a series to chart") : FEmptyText);
    FExportButton->setEnabled(!groups.empty());

    const qint64 placed = FData ? static_cast<qint64>(FData->PointCount()) : 0;
    const qint64 leftOut = FData ? FData->LeftOut : 0;
    QString count = QStringLiteral("%1 records").arg(placed + leftOut);
    if (leftOut > 0) {
        count += QStringLiteral(", %1 without a date left out").arg(leftOut);
    }
    FCountLabel->setText(count);

    if (!FCursorPoint || !FData || *FCursorPoint >= FData->PointCount()) {
        FCursorLabel->setText(any ? QStringLiteral("Move the mouse over a chart to read values")
                                  : QString());
        return;
    }
    const std::size_t i = *FCursorPoint;
    QStringList parts{QString::fromStdString(MinutesText(FData->Minutes[i]))};
    for (const TTrendSeries series : VisibleSeries()) {
        parts << QStringLiteral("%1: %2").arg(QString::fromStdString(SeriesName(series)),
                                              ValueText(FData->Of(series)[i]));
    }
    FCursorLabel->setText(parts.join(QStringLiteral("   ")));
}

void TTrendsView::ExportWithDialog() {
    TTrendExportDialog dialog(FLastExport, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    FLastExport = dialog.Path();
    const TChartExportResult result = ExportChart(dialog.Path(), dialog.Format(), dialog.Size());
    if (!result.Ok) {
        QMessageBox::warning(this, QStringLiteral("Export Chart"), result.Error);
    }
}

} // namespace Sondrel
