#include "ReportDocument.h"

#include "TrendStatistics.h"

#include <QTextDocument>
#include <QUrl>

#include <cmath>
#include <utility>
#include <vector>

namespace Sondrel {

namespace {

// The chart's height as a share of its width.
constexpr double kChartAspect = 0.5;

QString Escaped(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

QString Escaped(const QString& text) {
    return text.toHtmlEscaped();
}

// A text that is not broken across lines (a date-time, a time).
QString Unbroken(const std::string& text) {
    return text.empty() ? QString("-") : Escaped(text).replace(' ', "&nbsp;");
}

QString Cell(const QString& escaped, bool number = false) {
    return number ? "<td align=\"right\">" + escaped + "</td>" : "<td>" + escaped + "</td>";
}

// The captions, with the columns' shares of the width in percent when given.
QString HeaderRow(const QStringList& captions, const QList<int>& widths = {}) {
    // The header row repeats at the top of every page the table runs onto.
    QString row = "<thead><tr bgcolor=\"#e4e8ee\">";
    for (qsizetype i = 0; i < captions.size(); ++i) {
        const QString width =
            i < widths.size() ? " width=\"" + QString::number(widths[i]) + "%\"" : QString();
        row += "<th align=\"left\"" + width + ">" + Escaped(captions[i]) + "</th>";
    }
    return row + "</tr></thead>";
}

QString TableStart() {
    return "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
           "style=\"border-collapse: collapse; border-color: #9aa3ad;\">";
}

QString OrDash(const std::string& text) {
    return text.empty() ? QString("-") : Escaped(text);
}

QString InstrumentSection(const TReportContent& content) {
    const TReportInstrument& i = content.Instrument;
    QString html = "<h2>Instrument</h2><table cellspacing=\"0\" cellpadding=\"2\">";
    const auto row = [&](const char* caption, const QString& escaped) {
        html += "<tr><td><b>" + Escaped(QString(caption)) + "</b>&nbsp;&nbsp;</td>" +
                Cell(escaped) + "</tr>";
    };
    row("Name", OrDash(i.Name));
    row("Identity", OrDash(i.Identity));
    row("Port", OrDash(i.Port));
    row("Address", QString::number(i.Address));
    row("Range", OrDash(content.From) + " to " + OrDash(content.To));
    row("Records", QString::number(content.Data.PointCount()) +
                       (content.Data.LeftOut > 0 ? " (" + QString::number(content.Data.LeftOut) +
                                                       " without a date-time left out)"
                                                 : QString()));
    return html + "</table>";
}

QString DownloadsSection(const TReportContent& content) {
    QString html = "<h2>Downloads</h2>";
    if (content.Downloads.empty()) {
        return html + "<p>No download is recorded for these records.</p>";
    }
    html += TableStart() +
            HeaderRow({"Kind", "Started", "Ended", "Outcome", "Records", "User", "Host"});
    for (const TDownloadRecord& d : content.Downloads) {
        html += "<tr>" + Cell(OrDash(d.Kind)) + Cell(Unbroken(d.StartedAt)) +
                Cell(Unbroken(d.EndedAt)) + Cell(OrDash(d.Outcome)) +
                Cell(QString::number(d.RecordsReceived), true) + Cell(OrDash(d.UserName)) +
                Cell(OrDash(d.HostName)) + "</tr>";
    }
    return html + "</table>";
}

QString LimitsSection(const TReportContent& content) {
    QString html = "<h2>Limits</h2>";
    if (!content.Limits.Any()) {
        return html + "<p>No limits are set for this instrument.</p>";
    }
    QStringList captions{"Series"};
    for (TLimitKind kind : AllLimitKinds()) {
        QString caption = QString::fromStdString(LimitKindKey(kind));
        caption[0] = caption[0].toUpper();
        captions << caption;
    }
    html += TableStart() + HeaderRow(captions);
    for (TTrendSeries series : AllTrendSeries()) {
        const TSeriesLimits& limits = content.Limits.Of(series);
        if (!limits.Any()) {
            continue;
        }
        html += "<tr>" + Cell(Escaped(SeriesName(series)));
        for (TLimitKind kind : AllLimitKinds()) {
            const auto value = limits.Of(kind);
            html += Cell(value ? ReportNumber(*value) : QString("-"), true);
        }
        html += "</tr>";
    }
    return html + "</table>";
}

// The charts' images go to `images`; the document takes them once its text is set (setting the
// text clears its resources).
QString ChartsSection(std::vector<std::pair<QUrl, QImage>>& images, const TReportContent& content,
                      const TReportLayout& layout, const TReportChartImage& chart) {
    if (!chart || content.Groups.empty()) {
        return {};
    }
    QString html;
    const double width = layout.BodyWidthPoints;
    const double height = std::round(width * kChartAspect);
    const QSize pixels(static_cast<int>(std::lround(width * layout.DevicePixelsPerUnit)),
                       static_cast<int>(std::lround(height * layout.DevicePixelsPerUnit)));
    for (TSeriesGroup group : content.Groups) {
        const QImage image = chart(content, group, pixels, layout.DevicePixelsPerUnit);
        if (image.isNull()) {
            continue;
        }
        const QString name = QString::fromStdString(GroupName(group));
        const QUrl url("chart:" + name.toLower());
        images.emplace_back(url, image);
        html += "<p><img src=\"" + url.toString() + "\" width=\"" +
                QString::number(static_cast<int>(width)) + "\" height=\"" +
                QString::number(static_cast<int>(height)) + "\"></p>";
    }
    return html.isEmpty() ? html : "<h2>Charts</h2>" + html;
}

QString AckText(const std::optional<TReportAck>& ack) {
    if (!ack) {
        return "<i>not acknowledged</i>";
    }
    QString text = "by " + OrDash(ack->By) + " at " + OrDash(ack->At);
    if (!ack->Comment.empty()) {
        text += ": " + Escaped(ack->Comment);
    }
    return text;
}

QString ExcursionsSection(const TReportContent& content) {
    QString html = "<h2>Excursions</h2>";
    if (!content.Limits.Any()) {
        return html + "<p>None watched: no limits are set.</p>";
    }
    if (content.Excursions.empty()) {
        return html + "<p>No value of the range is beyond a limit.</p>";
    }
    html += TableStart() +
            HeaderRow({"Start", "End", "Series", "Limit kind", "Peak", "Limit", "Acknowledgement"},
                      {16, 16, 9, 10, 8, 8, 33});
    for (const TReportExcursion& e : content.Excursions) {
        const TExcursion& x = e.Excursion;
        html += "<tr>" + Cell(Unbroken(x.Start())) + Cell(Unbroken(x.End())) +
                Cell(Unbroken(SeriesName(x.Series))) + Cell(Unbroken(LimitKindKey(x.Kind))) +
                Cell(ReportNumber(x.Peak), true) + Cell(ReportNumber(x.Limit), true) +
                Cell(AckText(e.Ack)) + "</tr>";
    }
    return html + "</table>";
}

QString StatisticsSection(const TReportContent& content) {
    QString html = "<h2>Statistics</h2>";
    if (content.Data.PointCount() == 0) {
        return html + "<p>The range holds no records.</p>";
    }
    html += TableStart() + HeaderRow({"Series", "Count", "Min", "Mean", "Max", "95th pct"});
    for (TTrendSeries series : AllTrendSeries()) {
        const auto s = SeriesStatistics(content.Data, series);
        if (!s) {
            continue;
        }
        html += "<tr>" + Cell(Escaped(SeriesName(series))) + Cell(QString::number(s->Count), true) +
                Cell(ReportNumber(s->Min), true) + Cell(ReportNumber(s->Mean), true) +
                Cell(ReportNumber(s->Max), true) + Cell(ReportNumber(s->Percentile95), true) +
                "</tr>";
    }
    return html + "</table>";
}

} // namespace

QString ReportNumber(double value) {
    if (!std::isfinite(value)) {
        return "-";
    }
    const double whole = std::round(value);
    if (std::fabs(value - whole) < 1e-9 && std::fabs(whole) < 1e15) {
        return QString::number(static_cast<long long>(whole));
    }
    return QString::number(value, 'f', 2);
}

void BuildReportDocument(QTextDocument& document, const TReportContent& content,
                         const TReportLayout& layout, const TReportChartImage& chart) {
    document.setDefaultStyleSheet("h1 { font-size: 16pt; } h2 { font-size: 12pt; } "
                                  "th, td { font-size: 8pt; }");
    QString html = "<html><body><h1>" + Escaped(content.Title) + "</h1>";
    html += "<p>" +
            Escaped(content.Instrument.Name.empty() ? content.Instrument.Identity
                                                    : content.Instrument.Name) +
            ", " + OrDash(content.From) + " to " + OrDash(content.To) + "</p>";
    html += InstrumentSection(content);
    html += DownloadsSection(content);
    html += LimitsSection(content);
    std::vector<std::pair<QUrl, QImage>> images;
    html += ChartsSection(images, content, layout, chart);
    html += ExcursionsSection(content);
    html += StatisticsSection(content);
    document.setHtml(html + "</body></html>");
    for (const auto& [url, image] : images) {
        document.addResource(QTextDocument::ImageResource, url, image);
    }
}

} // namespace Sondrel
