// The data installed with the program, as the window reads it: the firmware instructions come
// from the program folder when it has its own, otherwise from the installed data folder (the
// file that the package ships), and a program that is not installed reads only its folder.
#include "WindowFixture.h"

#include "FirmwarePage.h"
#include "ui_FirmwarePage.h"

#include <QDir>
#include <QFile>
#include <QTextEdit>

using namespace ConsoleTest;

namespace {

const std::string kInstructions = "Instructions-Firmware-Update.rtf";

class InstalledData : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(Installed.isValid());
    }
    std::filesystem::path InstalledPath() const { return Installed.path().toStdString(); }
    void ShipInstructions() {
        ASSERT_TRUE(QFile::copy(
            QStringLiteral(SONDREL_PACKAGING_DIR "/") + QString::fromStdString(kInstructions),
            QString::fromStdString((InstalledPath() / kInstructions).string())));
    }
    QString Shown() { return Window().FirmwarePage().Form().steponeRichEdit->toPlainText(); }

    QTemporaryDir Installed;
};

} // namespace

TEST_F(InstalledData, TheShippedInstructionsAreShownWhenTheProgramFolderHasNone) {
    ShipInstructions();
    DataFolder = InstalledPath();
    Start();
    EXPECT_TRUE(Shown().startsWith("Firmware Update Instructions")) << Shown().toStdString();
    EXPECT_TRUE(Shown().contains("lpc21isp"));
    EXPECT_TRUE(Shown().contains("dialout"));
}

TEST_F(InstalledData, TheProgramFoldersOwnInstructionsWinOverTheInstalledOnes) {
    ShipInstructions();
    DataFolder = InstalledPath();
    WriteProgramFile(kInstructions, "{\\rtf1 Our own steps.\\par}");
    Start();
    EXPECT_EQ(Shown().trimmed().toStdString(), "Our own steps.");
}

TEST_F(InstalledData, AProgramThatIsNotInstalledReadsOnlyItsFolder) {
    ShipInstructions();
    Start(); // no data folder
    EXPECT_TRUE(Shown().isEmpty()) << Shown().toStdString();
}
