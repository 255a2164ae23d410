#include "LimitsDialog.h"

#include "LimitsEditing.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace Sondrel {

namespace {

// The columns in the order of the dialog: the high limits first, as most series have only those.
constexpr TLimitKind kColumns[] = {TLimitKind::AlertHigh, TLimitKind::ActionHigh,
                                   TLimitKind::AlertLow, TLimitKind::ActionLow};

QString ColumnCaption(TLimitKind kind) {
    QString caption = QString::fromStdString(LimitKindKey(kind));
    caption[0] = caption[0].toUpper();
    return caption;
}

} // namespace

TLimitsDialog::TLimitsDialog(const QString& instrument, const TInstrumentLimits& limits,
                             QWidget* parent)
    : QDialog(parent), FLimits(limits) {
    setObjectName(QStringLiteral("limitsDialog"));
    setWindowTitle(QStringLiteral("Limits of %1").arg(instrument));
    limitsTable = new QTableWidget(static_cast<int>(kTrendSeriesCount), 4, this);
    limitsTable->setObjectName(QStringLiteral("limitsTable"));
    QStringList rows;
    for (const TTrendSeries series : AllTrendSeries()) {
        rows << QString::fromStdString(SeriesName(series));
    }
    limitsTable->setVerticalHeaderLabels(rows);
    QStringList columns;
    for (const TLimitKind kind : kColumns) {
        columns << ColumnCaption(kind);
    }
    limitsTable->setHorizontalHeaderLabels(columns);
    limitsTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (const TTrendSeries series : AllTrendSeries()) {
        for (int column = 0; column < 4; ++column) {
            const auto value = limits.Of(series).Of(kColumns[column]);
            limitsTable->setItem(
                static_cast<int>(SeriesIndex(series)), column,
                new QTableWidgetItem(value ? QString::fromStdString(LimitValueText(*value))
                                           : QString()));
        }
    }
    problemLabel = new QLabel(this);
    problemLabel->setObjectName(QStringLiteral("problemLabel"));
    problemLabel->setStyleSheet(QStringLiteral("color: #B00000"));
    problemLabel->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &TLimitsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TLimitsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("A record beyond a limit is marked; an empty cell is a limit not set."),
        this));
    layout->addWidget(limitsTable, 1);
    layout->addWidget(problemLabel);
    layout->addWidget(buttons);
    resize(560, 640);
}

std::optional<std::string> TLimitsDialog::ReadTable() {
    TInstrumentLimits read;
    for (const TTrendSeries series : AllTrendSeries()) {
        for (int column = 0; column < 4; ++column) {
            const QTableWidgetItem* item =
                limitsTable->item(static_cast<int>(SeriesIndex(series)), column);
            const std::string text = item != nullptr ? item->text().trimmed().toStdString() : "";
            if (text.empty()) {
                continue;
            }
            const auto value = ParseLimitValue(text);
            if (!value) {
                return SeriesName(series) + ": the " + LimitKindKey(kColumns[column]) + " limit '" +
                       text + "' is not a number";
            }
            read.Of(series).Set(kColumns[column], *value);
        }
    }
    if (auto problem = InstrumentLimitsProblem(read)) {
        return problem;
    }
    FLimits = read;
    return std::nullopt;
}

void TLimitsDialog::accept() {
    if (const auto problem = ReadTable()) {
        problemLabel->setText(QString::fromStdString(*problem));
        return;
    }
    QDialog::accept();
}

} // namespace Sondrel
