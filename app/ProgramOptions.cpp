#include "ProgramOptions.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>

namespace Sondrel {

QString ProgramOptionsHelp() {
    return QStringLiteral(
        "Usage: sondrel [options]\n"
        "Desktop console of the laser particle counter (Modbus RTU/ASCII over a serial line).\n"
        "\n"
        "Options:\n"
        "  --program-folder DIR  Folder of the program's files: the console settings file\n"
        "                        (CorvaneDemo.dat), the server item map (ServerItems.dat), the\n"
        "                        transaction log file (TransactionLog.txt), the firmware\n"
        "                        script (Program.sh) and the firmware instructions. Default for\n"
        "                        an installed program: $XDG_DATA_HOME/Sondrel (without\n"
        "                        XDG_DATA_HOME: ~/.local/share/Sondrel), created when needed;\n"
        "                        for a program in its build folder: the executable's folder.\n"
        "                        Environment: SONDREL_PROGRAM_FOLDER.\n"
        "  --settings-file PATH  Keep the application settings in this INI file instead of\n"
        "                        the user's settings store (~/.config/Sondrel/Main.conf).\n"
        "                        Environment: SONDREL_SETTINGS_FILE.\n"
        "  --archive FILE        The archive that keeps every download (a SQLite file; also\n"
        "                        sqlite:FILE). Default: the archive file chosen on the\n"
        "                        Archive tab, else $XDG_DATA_HOME/Sondrel/archive.sqlite.\n"
        "                        Environment: SONDREL_ARCHIVE.\n"
        "  --sysfs-root DIR      List the serial ports from this folder, laid out like the\n"
        "                        system's tty class folder (/sys/class/tty, the default), so\n"
        "                        that ports can be added and removed by hand for tests and\n"
        "                        demonstrations. Environment: SONDREL_SYSFS_ROOT.\n"
        "  --demo                Start the instrument simulator (sondrel-sim, beside the\n"
        "                        program) on a new pseudo-terminal that takes a real line's\n"
        "                        time, and use it as the device port at 115200 bit/s with the\n"
        "                        Line Speed delay and the standard frame timing, for this run\n"
        "                        only: the stored settings stay as they are. Press Connect,\n"
        "                        then Retrieve Data; Fast, Default or Slow in the delay menu\n"
        "                        give the fixed waits. The simulator stops when the program\n"
        "                        ends.\n"
        "  --advanced            Show the commands and pages the window keeps hidden (the\n"
        "                        connection options, the slave address and server options,\n"
        "                        logging to a file, the coil and diagnostics pages, the\n"
        "                        whole-log download) for this run. The settings store value\n"
        "                        ShowAdvanced=T shows them in every run.\n"
        "  -h, --help            Show this text and exit.\n"
        "  --version             Show the program's version and exit.\n"
        "\n"
        "A command-line option wins over its environment variable.\n");
}

TProgramOptions ParseProgramOptions(const QStringList& arguments, const QString& defaultFolder) {
    TProgramOptions options;
    const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    options.ProgramFolder = environment.value(QStringLiteral("SONDREL_PROGRAM_FOLDER"));
    options.SettingsFile = environment.value(QStringLiteral("SONDREL_SETTINGS_FILE"));
    options.SysfsRoot = environment.value(QStringLiteral("SONDREL_SYSFS_ROOT"));
    options.Archive = environment.value(QStringLiteral("SONDREL_ARCHIVE"));

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("-h") || argument == QStringLiteral("--help")) {
            options.HelpRequested = true;
            continue;
        }
        if (argument == QStringLiteral("--version")) {
            options.VersionRequested = true;
            continue;
        }
        if (argument == QStringLiteral("--demo")) {
            options.Demo = true;
            continue;
        }
        if (argument == QStringLiteral("--advanced")) {
            options.Advanced = true;
            continue;
        }
        QString* target = nullptr;
        QString name = argument;
        QString value;
        bool hasValue = false;
        if (const qsizetype equals = argument.indexOf(QLatin1Char('=')); equals > 0) {
            name = argument.left(equals);
            value = argument.mid(equals + 1);
            hasValue = true;
        }
        if (name == QStringLiteral("--program-folder")) {
            target = &options.ProgramFolder;
        } else if (name == QStringLiteral("--settings-file")) {
            target = &options.SettingsFile;
        } else if (name == QStringLiteral("--archive")) {
            target = &options.Archive;
        } else if (name == QStringLiteral("--sysfs-root")) {
            target = &options.SysfsRoot;
        } else {
            options.Error = QStringLiteral("Unknown option: %1").arg(argument);
            return options;
        }
        if (!hasValue) {
            if (i + 1 >= arguments.size()) {
                options.Error = QStringLiteral("%1 needs a value").arg(name);
                return options;
            }
            value = arguments[++i];
        }
        if (value.isEmpty()) {
            options.Error = QStringLiteral("%1 needs a value").arg(name);
            return options;
        }
        *target = value;
    }

    if (options.ProgramFolder.isEmpty()) {
        options.ProgramFolder = defaultFolder;
    }
    if (!options.HelpRequested && !options.VersionRequested && !options.ProgramFolder.isEmpty() &&
        !QFileInfo(options.ProgramFolder).isDir()) {
        options.Error = QStringLiteral("The program folder does not exist: %1")
                            .arg(QDir::toNativeSeparators(options.ProgramFolder));
    }
    return options;
}

} // namespace Sondrel
