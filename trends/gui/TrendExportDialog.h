// TTrendExportDialog: asks where and how big to export the charts: a file name (with Browse),
// the format (PNG or SVG, following the file name's extension and setting it), the width and
// height in pixels.
#pragma once

#include "TrendExport.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace Sondrel {

class TTrendExportDialog : public QDialog {
    Q_OBJECT

public:
    explicit TTrendExportDialog(const QString& path, QWidget* parent = nullptr);

    QString Path() const;
    TChartFormat Format() const;
    QSize Size() const;

private:
    void Browse();
    void FollowFileName();
    void FollowFormat();

    QLineEdit* FFile;
    QComboBox* FFormat;
    QSpinBox* FWidth;
    QSpinBox* FHeight;
};

} // namespace Sondrel
