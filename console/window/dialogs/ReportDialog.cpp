#include "ReportDialog.h"

#include "DialogService.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace Sondrel {

namespace {

QCheckBox* GroupBox(TSeriesGroup group, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(QString::fromStdString(GroupName(group)), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(true);
    return box;
}

} // namespace

TReportDialog::TReportDialog(IDialogService& dialogs, const QString& proposedFile, QWidget* parent)
    : QDialog(parent), FDialogs(dialogs) {
    setObjectName(QStringLiteral("reportDialog"));
    setWindowTitle(QStringLiteral("Report"));
    countsCheckBox = GroupBox(TSeriesGroup::Counts, "countsCheckBox", this);
    ppbCheckBox = GroupBox(TSeriesGroup::Ppb, "ppbCheckBox", this);
    healthCheckBox = GroupBox(TSeriesGroup::Health, "healthCheckBox", this);
    reportFileEdit = new QLineEdit(proposedFile, this);
    reportFileEdit->setObjectName(QStringLiteral("reportFileEdit"));
    reportFileEdit->setMinimumWidth(360);
    reportBrowseButton = new QPushButton(QStringLiteral("Browse..."), this);
    reportBrowseButton->setObjectName(QStringLiteral("reportBrowseButton"));
    reportButtonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    reportButtonBox->setObjectName(QStringLiteral("reportButtonBox"));
    reportButtonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Write Report"));

    auto* groups = new QGroupBox(QStringLiteral("Charts"), this);
    auto* groupRow = new QHBoxLayout(groups);
    for (QCheckBox* box : {countsCheckBox, ppbCheckBox, healthCheckBox}) {
        groupRow->addWidget(box);
        connect(box, &QCheckBox::toggled, this, [this] { UpdateOk(); });
    }
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(new QLabel(QStringLiteral("PDF file:"), this));
    fileRow->addWidget(reportFileEdit, 1);
    fileRow->addWidget(reportBrowseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(groups);
    layout->addLayout(fileRow);
    layout->addWidget(reportButtonBox);

    connect(reportFileEdit, &QLineEdit::textChanged, this, [this] { UpdateOk(); });
    connect(reportBrowseButton, &QPushButton::clicked, this, [this] { Browse(); });
    connect(reportButtonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(reportButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    UpdateOk();
}

std::vector<TSeriesGroup> TReportDialog::Groups() const {
    std::vector<TSeriesGroup> groups;
    if (countsCheckBox->isChecked()) {
        groups.push_back(TSeriesGroup::Counts);
    }
    if (ppbCheckBox->isChecked()) {
        groups.push_back(TSeriesGroup::Ppb);
    }
    if (healthCheckBox->isChecked()) {
        groups.push_back(TSeriesGroup::Health);
    }
    return groups;
}

QString TReportDialog::File() const {
    return reportFileEdit->text().trimmed();
}

void TReportDialog::Browse() {
    TFileDialogOptions options;
    options.Title = QStringLiteral("Report File");
    options.FileName = File();
    options.Directory = QFileInfo(File()).absolutePath();
    options.Filter = QStringLiteral("PDF Files (*.pdf);;All Files (*)");
    options.DefaultSuffix = QStringLiteral("pdf");
    const QString chosen = FDialogs.GetSaveFileName(options);
    if (!chosen.isEmpty()) {
        reportFileEdit->setText(chosen);
    }
}

void TReportDialog::UpdateOk() {
    reportButtonBox->button(QDialogButtonBox::Ok)
        ->setEnabled(!Groups().empty() && !File().isEmpty());
}

} // namespace Sondrel
