#include "TrendExport.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace Sondrel {

namespace {

TChartExportResult Failure(const QString& path, const QString& cause) {
    return {false, QStringLiteral("Cannot write %1: %2").arg(path, cause)};
}

bool Open(QSaveFile& file) {
    return file.open(QIODevice::WriteOnly);
}

} // namespace

std::optional<TChartFormat> ChartFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        return TChartFormat::Png;
    }
    if (suffix == QLatin1String("svg")) {
        return TChartFormat::Svg;
    }
    return std::nullopt;
}

QString ChartFormatExtension(TChartFormat format) {
    return format == TChartFormat::Svg ? QStringLiteral("svg") : QStringLiteral("png");
}

TChartExportResult WriteChart(const QString& path, TChartFormat format, QSize size,
                              const std::function<void(QPainter&, const QRectF&)>& draw) {
    if (path.isEmpty()) {
        return {false, QStringLiteral("No file name was given.")};
    }
    if (size.width() < kExportLeastSide || size.width() > kExportMostSide ||
        size.height() < kExportLeastSide || size.height() > kExportMostSide) {
        return Failure(path, QStringLiteral("the width and height must be %1 to %2 pixels")
                                 .arg(kExportLeastSide)
                                 .arg(kExportMostSide));
    }
    const QRectF target(QPointF(0, 0), QSizeF(size));
    QSaveFile file(path);
    if (format == TChartFormat::Png) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            return Failure(path, QStringLiteral("not enough memory for an image of this size"));
        }
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            draw(painter, target);
        }
        if (!Open(file)) {
            return Failure(path, file.errorString());
        }
        if (!image.save(&file, "PNG")) {
            file.cancelWriting();
            return Failure(path, file.error() != QFileDevice::NoError
                                     ? file.errorString()
                                     : QStringLiteral("the image could not be encoded"));
        }
    } else {
        if (!Open(file)) {
            return Failure(path, file.errorString());
        }
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("Trends"));
        QPainter painter;
        if (!painter.begin(&svg)) {
            file.cancelWriting();
            return Failure(path, QStringLiteral("the drawing could not be started"));
        }
        painter.fillRect(target, Qt::white);
        draw(painter, target);
        painter.end();
    }
    if (!file.commit()) {
        return Failure(path, file.errorString());
    }
    return {true, {}};
}

} // namespace Sondrel
