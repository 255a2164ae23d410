#include "ArchivePage.h"

#include "TrendsTab.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace Sondrel {

namespace {

template <typename T>
T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QDateTimeEdit* RangeEdit(QWidget* parent, const char* name) {
    auto* edit = Named(new QDateTimeEdit(parent), name);
    edit->setDisplayFormat(QString::fromLatin1(TArchivePage::DateTimeFormat));
    edit->setCalendarPopup(true);
    return edit;
}

} // namespace

TArchivePage::TArchivePage(QWidget* parent) : QWidget(parent) {
    archiveFileLabel = Named(new QLabel(this), "archiveFileLabel");
    archiveFileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    archiveFileButton =
        Named(new QPushButton(QStringLiteral("Archive File..."), this), "archiveFileButton");
    archiveFileButton->setToolTip(QStringLiteral("Choose the file that keeps every download"));
    instrumentComboBox = Named(new QComboBox(this), "instrumentComboBox");
    instrumentComboBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    fromEdit = RangeEdit(this, "fromEdit");
    toEdit = RangeEdit(this, "toEdit");
    showButton = Named(new QPushButton(QStringLiteral("Show"), this), "showButton");
    showButton->setToolTip(QStringLiteral("Show the archived records of the instrument and range"));
    archiveListView = Named(new QTableView(this), "archiveListView");
    countLabel = Named(new QLabel(this), "countLabel");
    archiveExportComboBox = Named(new QComboBox(this), "archiveExportComboBox");
    archiveExportComboBox->addItems(
        {QStringLiteral("CSV"), QStringLiteral("XLSX"), QStringLiteral("HTML")});
    archiveExportButton =
        Named(new QPushButton(QStringLiteral("Export to File"), this), "archiveExportButton");
    archiveReportButton =
        Named(new QPushButton(QStringLiteral("Report..."), this), "archiveReportButton");
    archiveReportButton->setToolTip(
        QStringLiteral("Print the trend report of the instrument and range to a PDF file"));

    auto* file = new QHBoxLayout;
    file->addWidget(new QLabel(QStringLiteral("Archive:"), this));
    file->addWidget(archiveFileLabel, 1);
    file->addWidget(archiveFileButton);
    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("Instrument:"), this));
    range->addWidget(instrumentComboBox, 1);
    range->addWidget(new QLabel(QStringLiteral("From:"), this));
    range->addWidget(fromEdit);
    range->addWidget(new QLabel(QStringLiteral("To:"), this));
    range->addWidget(toEdit);
    range->addWidget(showButton);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(countLabel, 1);
    bottom->addWidget(archiveExportComboBox);
    bottom->addWidget(archiveExportButton);
    bottom->addWidget(archiveReportButton);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(2, 2, 2, 2);
    page->addLayout(file);
    page->addLayout(range);
    page->addWidget(archiveListView, 1);
    page->addLayout(bottom);
    const TTableAndTrends tabs = PlaceTrendsBesideTable(
        *archiveListView, QStringLiteral("archiveViewTabs"), QStringLiteral("archiveTrendsView"));
    archiveViewTabs = tabs.Tabs;
    archiveTrendsView = tabs.Trends;
}

} // namespace Sondrel
