#include "ReportChart.h"

#include "TrendChart.h"

#include <QPainter>

#include <memory>

namespace Sondrel {

QImage ReportChartImage(const TReportContent& content, TSeriesGroup group, QSize pixels,
                        double devicePixelRatio) {
    if (pixels.isEmpty() || devicePixelRatio <= 0) {
        return {};
    }
    TTrendChart chart(group);
    chart.SetData(std::make_shared<const TTrendData>(content.Data));
    std::set<TTrendSeries> series;
    for (TTrendSeries s : AllTrendSeries()) {
        if (GroupOf(s) == group) {
            series.insert(s);
        }
    }
    chart.SetVisibleSeries(series);
    chart.SetLimits(content.Limits);

    // Laid out at the page's size in points, drawn at the printer's pixels.
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    chart.Render(painter, QRectF(QPointF(0, 0), QSizeF(pixels) / devicePixelRatio));
    painter.end();
    return image;
}

} // namespace Sondrel
