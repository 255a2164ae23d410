// TReportDialog: what a trend report holds and where it goes: a check box per series group
// (countsCheckBox, ppbCheckBox, healthCheckBox; all checked at first), the PDF file
// (reportFileEdit, and reportBrowseButton, which asks the dialog service for a file) and OK /
// Cancel (reportButtonBox). OK is enabled while a group is checked and a file named.
//
// Main (GUI) thread only.
#pragma once

#include "TrendSeries.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QLineEdit;
class QPushButton;

namespace Sondrel {

class IDialogService;

class TReportDialog : public QDialog {
    Q_OBJECT
public:
    TReportDialog(IDialogService& dialogs, const QString& proposedFile, QWidget* parent);

    std::vector<TSeriesGroup> Groups() const;
    QString File() const;

    QCheckBox* countsCheckBox = nullptr;
    QCheckBox* ppbCheckBox = nullptr;
    QCheckBox* healthCheckBox = nullptr;
    QLineEdit* reportFileEdit = nullptr;
    QPushButton* reportBrowseButton = nullptr;
    QDialogButtonBox* reportButtonBox = nullptr;

private:
    void Browse();
    void UpdateOk();

    IDialogService& FDialogs;
};

} // namespace Sondrel
