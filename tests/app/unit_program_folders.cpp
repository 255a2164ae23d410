// Where the sondrel program keeps its files: beside the executable in a build folder, in the
// user's data folder once installed, and wherever the command line or the environment says.
#include "ProgramFolders.h"
#include "ProgramOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace Sondrel;

namespace {

class Layout : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Root.isValid()); }

    // Makes the folders (relative to the temporary root) and returns the first one's path.
    QString Make(std::initializer_list<const char*> folders) {
        QString first;
        for (const char* folder : folders) {
            const QString path = Root.filePath(QString::fromLatin1(folder));
            EXPECT_TRUE(QDir().mkpath(path));
            if (first.isEmpty()) {
                first = path;
            }
        }
        return first;
    }

    static QProcessEnvironment Environment(const QString& home, const QString& xdgDataHome) {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), home);
        if (!xdgDataHome.isNull()) {
            environment.insert(QStringLiteral("XDG_DATA_HOME"), xdgDataHome);
        }
        return environment;
    }

    QTemporaryDir Root;
};

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const QByteArray& value)
        : FName(name), FHad(qEnvironmentVariableIsSet(name)), FOld(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedVariable() {
        if (FHad) {
            qputenv(FName, FOld);
        } else {
            qunsetenv(FName);
        }
    }

private:
    const char* FName;
    bool FHad;
    QByteArray FOld;
};

} // namespace

TEST_F(Layout, AProgramInItsBuildFolderKeepsItsFilesBesideTheExecutable) {
    // A build's bin/ has no share/sondrel beside it.
    const QString bin = Make({"build/dev/bin"});
    const TProgramFolders folders =
        LocateProgramFolders(bin, Environment(Root.filePath("home"), Root.filePath("xdg")));
    EXPECT_FALSE(folders.Installed);
    EXPECT_EQ(folders.ProgramFolder, bin);
    EXPECT_TRUE(folders.DataFolder.isEmpty());
}

TEST_F(Layout, AnInstalledProgramKeepsItsFilesInTheUsersDataFolderAndReadsTheInstalledData) {
    const QString bin = Make({"usr/bin", "usr/share/sondrel"});
    const TProgramFolders folders =
        LocateProgramFolders(bin, Environment(Root.filePath("home"), Root.filePath("xdg")));
    EXPECT_TRUE(folders.Installed);
    EXPECT_EQ(folders.ProgramFolder, Root.filePath("xdg/Sondrel"));
    EXPECT_EQ(folders.DataFolder, Root.filePath("usr/share/sondrel"));
    // Finding the folders creates nothing; the program makes its folder when it starts.
    EXPECT_FALSE(QFileInfo::exists(folders.ProgramFolder));
}

TEST_F(Layout, WithoutAnAbsoluteXdgDataHomeTheDataFolderIsUnderHome) {
    const QString bin = Make({"opt/sondrel/bin", "opt/sondrel/share/sondrel"});
    const QString home = Root.filePath("home");
    const QString expected = home + "/.local/share/Sondrel";
    EXPECT_EQ(LocateProgramFolders(bin, Environment(home, QString())).ProgramFolder, expected);
    EXPECT_EQ(LocateProgramFolders(bin, Environment(home, "")).ProgramFolder, expected);
    // A relative XDG_DATA_HOME is to be ignored, never taken relative to the current folder.
    EXPECT_EQ(LocateProgramFolders(bin, Environment(home, "relative/data")).ProgramFolder,
              expected);
}

TEST_F(Layout, OnlyABinFolderWithTheDataFolderBesideItCountsAsInstalled) {
    // The data folder beside a folder that is not bin/, and a bin/ without it.
    const QString elsewhere = Make({"tools/programs", "tools/share/sondrel"});
    const QString bareBin = Make({"plain/bin", "plain/share/other"});
    const QProcessEnvironment environment = Environment(Root.filePath("home"), QString());
    EXPECT_FALSE(LocateProgramFolders(elsewhere, environment).Installed);
    EXPECT_FALSE(LocateProgramFolders(bareBin, environment).Installed);
    // A file of that name is not the data folder either.
    const QString fileBin = Make({"files/bin", "files/share"});
    QFile marker(Root.filePath("files/share/sondrel"));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    EXPECT_FALSE(LocateProgramFolders(fileBin, environment).Installed);
}

TEST_F(Layout, TheUsersFolderIsCreatedWithItsParentsForTheOwnerOnly) {
    const QString folder = Root.filePath("home/.local/share/Sondrel");
    ASSERT_TRUE(CreateUserFolder(folder));
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    for (const char* made :
         {"home", "home/.local", "home/.local/share", "home/.local/share/Sondrel"}) {
        EXPECT_EQ(QFileInfo(Root.filePath(made)).permissions(), ownerOnly) << made;
    }
    // A folder that is there already is fine; a file in its place is not.
    EXPECT_TRUE(CreateUserFolder(folder));
    QFile blocker(Root.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(CreateUserFolder(Root.filePath("blocked/Sondrel")));
    EXPECT_FALSE(CreateUserFolder(Root.filePath("blocked")));
}

TEST_F(Layout, ANamedProgramFolderWinsAndTheCommandLineWinsOverTheEnvironment) {
    const QString fromEnvironment = Make({"from-environment"});
    const QString fromLine = Make({"from-line"});
    const ScopedVariable variable("SONDREL_PROGRAM_FOLDER", fromEnvironment.toLocal8Bit());
    EXPECT_EQ(ParseProgramOptions({}, QStringLiteral("/default")).ProgramFolder, fromEnvironment);
    EXPECT_EQ(ParseProgramOptions({"--program-folder", fromLine}, QStringLiteral("/default"))
                  .ProgramFolder,
              fromLine);
    EXPECT_EQ(ParseProgramOptions({"--program-folder=" + fromLine}, QString()).ProgramFolder,
              fromLine);
}

TEST(ProgramCommandLine, VersionAndHelpAreFlagsThatNeedNoProgramFolder) {
    const ScopedVariable variable("SONDREL_PROGRAM_FOLDER", "/no/such/folder");
    const TProgramOptions version = ParseProgramOptions({"--version"}, QString());
    EXPECT_TRUE(version.VersionRequested);
    EXPECT_TRUE(version.Error.isEmpty()) << version.Error.toStdString();
    EXPECT_TRUE(ParseProgramOptions({"--help"}, QString()).Error.isEmpty());
    // Without either, a named folder that does not exist is refused.
    EXPECT_FALSE(ParseProgramOptions({}, QString()).Error.isEmpty());
    EXPECT_TRUE(ProgramOptionsHelp().contains("--version"));
}

TEST(ProgramCommandLine, AdvancedIsAFlagOfItsOwn) {
    EXPECT_FALSE(ParseProgramOptions({}, QStringLiteral("/")).Advanced);
    const TProgramOptions options = ParseProgramOptions({"--advanced", "--demo"}, "/");
    EXPECT_TRUE(options.Advanced);
    EXPECT_TRUE(options.Demo);
    EXPECT_TRUE(options.Error.isEmpty()) << options.Error.toStdString();
    EXPECT_FALSE(ParseProgramOptions({"--advanced=yes"}, "/").Error.isEmpty());
    EXPECT_TRUE(ProgramOptionsHelp().contains("--advanced"));
}

TEST(ProgramCommandLine, ArchiveComesFromTheCommandLineOverTheEnvironment) {
    {
        const ScopedVariable unset("SONDREL_ARCHIVE", "");
        EXPECT_TRUE(ParseProgramOptions({}, QStringLiteral("/")).Archive.isEmpty());
    }
    const ScopedVariable variable("SONDREL_ARCHIVE", "/data/from-environment.sqlite");
    EXPECT_EQ(ParseProgramOptions({}, QStringLiteral("/")).Archive,
              QStringLiteral("/data/from-environment.sqlite"));
    EXPECT_EQ(
        ParseProgramOptions({"--archive", "sqlite:/data/a.sqlite"}, QStringLiteral("/")).Archive,
        QStringLiteral("sqlite:/data/a.sqlite"));
    EXPECT_FALSE(ParseProgramOptions({"--archive"}, QStringLiteral("/")).Error.isEmpty());
}
