// The command line and environment of the sondrel program: where its files are (the program
// folder) and where its settings are kept.
//
//   --program-folder DIR   or SONDREL_PROGRAM_FOLDER: the folder of "CorvaneDemo.dat",
//                          "ServerItems.dat", "TransactionLog.txt", "Program.sh" and
//                          "Instructions-Firmware-Update.rtf"; default: see ProgramFolders.h
//                          (the user's data folder for an installed program, the
//                          executable's folder otherwise).
//   --settings-file PATH   or SONDREL_SETTINGS_FILE: keep the settings in this INI file instead
//                          of the user's settings store (tests use it to stay isolated).
//   --sysfs-root DIR       or SONDREL_SYSFS_ROOT: list the serial ports from this folder (laid
//                          out as /sys/class/tty) instead of the system's; for tests and
//                          demonstrations with ports that come and go.
//   --archive FILE         or SONDREL_ARCHIVE: the archive of the downloads (a SQLite file, or
//                          sqlite:FILE); default: the window's stored choice, else the user's
//                          data folder's archive.sqlite.
//   --demo                 start the instrument simulator on a new pseudo-terminal and use it
//                          as the device port for this run, at the speed of the line (the
//                          stored settings are not changed).
//   --advanced             show, for this run, the commands and pages that the window keeps
//                          hidden (as the settings store value "ShowAdvanced" = "T" does).
//   --version              print the program's version and exit.
// An option given on the command line wins over the environment.
//
// Main thread; needs no application object, so that --help and --version work without a
// display.
#pragma once

#include <QString>
#include <QStringList>

namespace Sondrel {

struct TProgramOptions {
    QString ProgramFolder;
    QString SettingsFile; // empty: the user's settings store
    QString SysfsRoot;    // empty: the system's serial port listing
    QString Archive;      // empty: the window's stored choice or the default
    bool HelpRequested = false;
    bool VersionRequested = false;
    bool Demo = false;
    bool Advanced = false; // --advanced: the hidden commands and pages are shown
    QString Error;         // not empty: the command line could not be used
};

// The usage text of --help.
QString ProgramOptionsHelp();

// Reads the arguments (argv without the program name) and the environment.
// defaultFolder is used when neither names a program folder (it may be empty: the caller fills
// in the default of ProgramFolders.h once the application exists). A named folder must exist.
TProgramOptions ParseProgramOptions(const QStringList& arguments, const QString& defaultFolder);

} // namespace Sondrel
