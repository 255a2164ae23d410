#include "TrendExportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

namespace Sondrel {

namespace {

QSpinBox* SideBox(int value, const char* name) {
    auto* box = new QSpinBox;
    box->setObjectName(QLatin1String(name));
    box->setRange(kExportLeastSide, kExportMostSide);
    box->setValue(value);
    box->setSuffix(QStringLiteral(" px"));
    return box;
}

} // namespace

TTrendExportDialog::TTrendExportDialog(const QString& path, QWidget* parent)
    : QDialog(parent), FFile(new QLineEdit(path)), FFormat(new QComboBox),
      FWidth(SideBox(1600, "exportWidthSpin")), FHeight(SideBox(900, "exportHeightSpin")) {
    setObjectName(QStringLiteral("trendExportDialog"));
    setWindowTitle(QStringLiteral("Export Chart"));
    FFile->setObjectName(QStringLiteral("exportFileEdit"));
    FFile->setMinimumWidth(360);
    FFormat->setObjectName(QStringLiteral("exportFormatCombo"));
    FFormat->addItem(QStringLiteral("PNG image"), static_cast<int>(TChartFormat::Png));
    FFormat->addItem(QStringLiteral("SVG drawing"), static_cast<int>(TChartFormat::Svg));
    auto* browse = new QPushButton(QStringLiteral("Browse..."));
    browse->setObjectName(QStringLiteral("exportBrowseButton"));

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FFile, 1);
    fileRow->addWidget(browse);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("File:"), fileRow);
    form->addRow(QStringLiteral("Format:"), FFormat);
    form->addRow(QStringLiteral("Width:"), FWidth);
    form->addRow(QStringLiteral("Height:"), FHeight);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("exportButtons"));
    form->addRow(buttons);

    FollowFileName();
    connect(browse, &QPushButton::clicked, this, &TTrendExportDialog::Browse);
    connect(FFile, &QLineEdit::textChanged, this, &TTrendExportDialog::FollowFileName);
    connect(FFormat, &QComboBox::currentIndexChanged, this, &TTrendExportDialog::FollowFormat);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString TTrendExportDialog::Path() const {
    return FFile->text().trimmed();
}

TChartFormat TTrendExportDialog::Format() const {
    return static_cast<TChartFormat>(FFormat->currentData().toInt());
}

QSize TTrendExportDialog::Size() const {
    return QSize(FWidth->value(), FHeight->value());
}

void TTrendExportDialog::Browse() {
    const QString chosen =
        QFileDialog::getSaveFileName(this, QStringLiteral("Export Chart"), Path(),
                                     QStringLiteral("PNG image (*.png);;SVG drawing (*.svg)"));
    if (!chosen.isEmpty()) {
        FFile->setText(chosen);
    }
}

// A file name ending in .png or .svg chooses the format.
void TTrendExportDialog::FollowFileName() {
    if (const auto format = ChartFormatOf(Path())) {
        const int index = FFormat->findData(static_cast<int>(*format));
        if (index != FFormat->currentIndex()) {
            const QSignalBlocker blocker(FFormat);
            FFormat->setCurrentIndex(index);
        }
    }
}

// Choosing a format gives the file name its extension.
void TTrendExportDialog::FollowFormat() {
    const QString path = Path();
    if (path.isEmpty() || ChartFormatOf(path) == Format()) {
        return;
    }
    const QFileInfo info(path);
    QString stem = path;
    if (ChartFormatOf(path)) {
        stem.chop(info.suffix().size() + 1);
    }
    const QSignalBlocker blocker(FFile);
    FFile->setText(stem + QLatin1Char('.') + ChartFormatExtension(Format()));
}

} // namespace Sondrel
