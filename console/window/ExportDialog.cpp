#include "ExportDialog.h"

#include <QDir>
#include <QStringList>

namespace Sondrel {

namespace {

// "CSV file|*.csv" as a Qt filter: "CSV file (*.csv)".
QString QtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

} // namespace

std::optional<std::string>
ChooseExportFile(IDialogService& dialogs, const TSaveDialogParams& params, const QString& folder) {
    TFileDialogOptions options;
    options.Title = QString::fromStdString(params.Title);
    options.Directory = folder.isEmpty() ? QDir::currentPath() : folder;
    if (!params.FileName.empty()) {
        options.FileName =
            QDir(options.Directory).filePath(QString::fromStdString(params.FileName));
    }
    options.Filter = QtFilter(params.Filter);
    options.DefaultSuffix = QString::fromStdString(params.DefaultExtension);
    const QString chosen = dialogs.GetSaveFileName(options);
    if (chosen.isEmpty()) {
        return std::nullopt;
    }
    return chosen.toStdString();
}

} // namespace Sondrel
