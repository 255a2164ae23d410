#include "ProgramFolders.h"

#include <QDir>
#include <QFileInfo>

namespace Sondrel {

namespace {

// The data folder as seen from the programs' folder, given by the install rules
// (share/sondrel beside bin/ in the default layout).
constexpr const char* kDataFromBin = SONDREL_DATA_FROM_BIN;

} // namespace

QString UserDataFolder(const QProcessEnvironment& environment) {
    const QString xdg = environment.value(QStringLiteral("XDG_DATA_HOME"));
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) {
        return QDir::cleanPath(xdg);
    }
    QString home = environment.value(QStringLiteral("HOME"));
    if (home.isEmpty()) {
        home = QDir::homePath();
    }
    return QDir::cleanPath(home + QStringLiteral("/.local/share"));
}

TProgramFolders LocateProgramFolders(const QString& executableFolder,
                                     const QProcessEnvironment& environment) {
    TProgramFolders folders;
    const QString bin = QDir::cleanPath(executableFolder);
    const QString data = QDir::cleanPath(bin + QLatin1Char('/') + QLatin1String(kDataFromBin));
    folders.Installed =
        QFileInfo(bin).fileName() == QStringLiteral("bin") && QFileInfo(data).isDir();
    if (folders.Installed) {
        folders.DataFolder = data;
        folders.ProgramFolder = UserDataFolder(environment) + QStringLiteral("/Sondrel");
    } else {
        folders.ProgramFolder = bin;
    }
    return folders;
}

bool CreateUserFolder(const QString& folder) {
    const QString path = QDir::cleanPath(QDir(folder).absolutePath());
    if (QFileInfo(path).isDir()) {
        return true;
    }
    const QFileInfo info(path);
    if (info.exists() || info.isRoot() || !CreateUserFolder(info.path())) {
        return false;
    }
    QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Another process may have made it meanwhile: what counts is that it is there.
    return QFileInfo(path).isDir();
}

} // namespace Sondrel
