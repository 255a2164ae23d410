#include "ReportWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

#include <cmath>

namespace Sondrel {

namespace {

constexpr int kResolution = 300; // printer pixels per inch
constexpr double kMarginMm = 15;
constexpr double kFooterPoints = 9;
// The document's units are 1/96 inch (as on a screen), whatever the printer's resolution.
constexpr double kDocumentDpi = 96;

QString Describe(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

} // namespace

EReportError::EReportError(const QString& path, const QString& cause)
    : std::runtime_error(
          ("cannot write the report \"" + Describe(path) + "\": " + cause).toStdString()) {}

TReportWriter::TReportWriter(TReportChartImage chart) : FChart(std::move(chart)) {}

int TReportWriter::Write(const TReportContent& content, const QString& path) const {
    // Opened first, so that a file that cannot be made fails before the pages are drawn.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw EReportError(path, file.errorString());
    }
    // The PDF is made in memory and written in one piece, whose length is checked: the PDF
    // engine does not look at what its writes return, and a full disk may take a short write
    // without an error.
    QBuffer made;
    made.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&made);
    pdf.setResolution(kResolution);
    pdf.setTitle(QString::fromStdString(content.Title));
    pdf.setCreator("Sondrel");
    pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                  QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                  QPageLayout::Millimeter));

    QPainter painter;
    if (!painter.begin(&pdf)) {
        file.cancelWriting();
        throw EReportError(path, "the PDF could not be started");
    }
    // The page's printable area in printer pixels: the body above, the footer below.
    const QRectF page(QPointF(0, 0), QSizeF(pdf.width(), pdf.height()));
    QFont footerFont = painter.font();
    footerFont.setPointSizeF(kFooterPoints);
    const double footerHeight = QFontMetricsF(footerFont, &pdf).height() * 2.5;
    const QSizeF body(page.width(), page.height() - footerHeight);

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&pdf);
    QFont bodyFont = document.defaultFont();
    bodyFont.setPointSizeF(9);
    document.setDefaultFont(bodyFont);
    document.setPageSize(body);
    TReportLayout layout;
    layout.DevicePixelsPerUnit = pdf.logicalDpiX() / kDocumentDpi;
    // The charts fill the body less the document's margins.
    layout.BodyWidthPoints =
        std::floor((body.width() - 2 * document.documentMargin()) / layout.DevicePixelsPerUnit) - 8;
    BuildReportDocument(document, content, layout, FChart);

    const int pages = document.pageCount();
    const QString printed = "Printed " + QString::fromStdString(content.PrintedAt);
    for (int index = 0; index < pages; ++index) {
        if (index > 0) {
            pdf.newPage();
        }
        painter.save();
        painter.translate(0, -index * body.height());
        document.drawContents(&painter, QRectF(QPointF(0, index * body.height()), body));
        painter.restore();

        const QRectF footer(0, body.height(), page.width(), footerHeight);
        painter.setFont(footerFont);
        painter.setPen(QColor(0x50, 0x50, 0x50));
        painter.drawLine(QLineF(footer.topLeft() + QPointF(0, footerHeight * 0.3),
                                footer.topRight() + QPointF(0, footerHeight * 0.3)));
        const QRectF text = footer.adjusted(0, footerHeight * 0.4, 0, 0);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, printed);
        painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter,
                         QString("Page %1 of %2").arg(index + 1).arg(pages));
    }
    if (!painter.end()) {
        file.cancelWriting();
        throw EReportError(path, "the PDF could not be finished");
    }
    const QByteArray& bytes = made.data();
    if (file.write(bytes) != bytes.size()) {
        const QString cause = file.error() != QFileDevice::NoError
                                  ? file.errorString()
                                  : QString("the disk took only part of it (is it full?)");
        file.cancelWriting();
        throw EReportError(path, cause);
    }
    if (!file.commit()) {
        throw EReportError(path, file.errorString());
    }
    return pages;
}

} // namespace Sondrel
