// Where the sondrel program keeps its files, found from the executable's own location.
//
// An install lays the programs out as <prefix>/bin/sondrel beside <prefix>/share/sondrel/ (the
// programs' read-only data). A program whose folder is named "bin" and has that data folder
// beside it is installed: it reads its data from there, and keeps the files of its program
// folder ("CorvaneDemo.dat", "ServerItems.dat", "TransactionLog.txt", "Program.sh") in the
// user's data folder, $XDG_DATA_HOME/Sondrel (~/.local/share/Sondrel when XDG_DATA_HOME is not
// set), never beside a shared executable. Any other program (one in its build folder) keeps
// them beside the executable and has no data folder. A folder named on the command line or in
// SONDREL_PROGRAM_FOLDER wins over both (ProgramOptions).
//
// Plain functions; any thread may call them.
#pragma once

#include <QProcessEnvironment>
#include <QString>

namespace Sondrel {

struct TProgramFolders {
    QString ProgramFolder; // the program folder's files
    QString DataFolder;    // the data installed with the program; empty when not installed
    bool Installed = false;
};

// executableFolder: the folder of the running executable (QCoreApplication's
// applicationDirPath); environment: read for XDG_DATA_HOME and HOME.
TProgramFolders LocateProgramFolders(const QString& executableFolder,
                                     const QProcessEnvironment& environment);

// The user's data folder: XDG_DATA_HOME when it is an absolute path (a relative one is
// ignored, as the XDG base directory rules ask), otherwise $HOME/.local/share.
QString UserDataFolder(const QProcessEnvironment& environment);

// Creates the folder and its missing parents, each readable by its owner only (0700, as the
// XDG base directory rules ask); true when the folder exists afterwards.
bool CreateUserFolder(const QString& folder);

} // namespace Sondrel
