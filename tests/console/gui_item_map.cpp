// The local server's item map tab of the main window: adding, editing and removing items
// through the item editor and the questions, the file written after every change, and the
// window in server mode answering a real master (mbpoll) from the map.
#include "WindowFixture.h"

#include "ItemMapPage.h"
#include "ServerItemEditorForm.h"
#include "ServerItemListModel.h"
#include "ServerItemMapController.h"
#include "ui_ItemMapPage.h"
#include "ui_ServerItemEditorForm.h"

#include "ChildProcess.h"
#include "SocatLink.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <map>
#include <sstream>

using namespace std::chrono_literals;
using namespace ConsoleTest;
using Sondrel::TServerItemKind;

namespace {

struct TFields {
    QString Address;
    QString Value; // registers
    QString Min = "0";
    QString Max = "65535";
    bool On = false; // bits
    bool Writeable = true;
};

// A dialog answer that fills the item editor's fields and presses OK.
TScriptedDialogService::TDialogAnswer Fill(const TFields& fields) {
    return [fields](QDialog& dialog) {
        auto& editor = dynamic_cast<Sondrel::TServerItemEditorForm&>(dialog);
        auto& ui = editor.Form();
        if (!ui.AddressEdit->isReadOnly()) {
            ui.AddressEdit->setText(fields.Address);
        }
        ui.ValueEdit->setText(fields.Value);
        ui.MinValueEdit->setText(fields.Min);
        ui.MaxValueEdit->setText(fields.Max);
        ui.ValueCheckBox->setChecked(fields.On);
        ui.WriteableCheckBox->setChecked(fields.Writeable);
        editor.OKButtonClick();
        return dialog.result();
    };
}

// One record of the map file as it must be written: 10 bytes, little-endian.
std::string Record(int address, int kind, int value, int min, int max, int writeable) {
    std::string bytes;
    const auto word = [&bytes](int v) {
        bytes += static_cast<char>(v & 0xFF);
        bytes += static_cast<char>((v >> 8) & 0xFF);
    };
    word(address);
    bytes += static_cast<char>(kind);
    word(value);
    word(min);
    word(max);
    bytes += static_cast<char>(writeable);
    return bytes;
}

class ItemMap : public WindowFixture {
protected:
    Ui::TItemMapPage& Page() { return Ui().ServerItemsTabSheet->Form(); }
    Sondrel::TServerItemMapController& Controller() { return Window().ItemMap(); }
    Sondrel::TServerItemListModel& Model() { return Controller().Model(); }
    QString Cell(int row, int column) {
        return Model().data(Model().index(row, column)).toString();
    }
    void Add(TServerItemKind kind, const TFields& fields) {
        Dialogs.DialogAnswers.push_back(Fill(fields));
        Controller().AddServerItemClick(kind);
    }
};

TEST_F(ItemMap, TheAddMenuOffersTheFourKindsAndTheListShowsTheModel) {
    Start();
    EXPECT_EQ(Page().ServerItemsListView->model(), &Model());
    QStringList entries;
    for (QAction* action : Controller().AddMenu().actions()) {
        entries << action->text();
    }
    EXPECT_EQ(entries,
              QStringList({"Coil", "Discrete Input", "Holding Register", "Input Register"}));

    // The third entry adds a holding register through the editor.
    Dialogs.DialogAnswers.push_back(Fill({"40", "7"}));
    Controller().AddMenu().actions().at(2)->trigger();
    ASSERT_EQ(Model().rowCount(), 1);
    EXPECT_EQ(Cell(0, 1), "Holding Register");
    EXPECT_EQ(Cell(0, 2), "7");
}

TEST_F(ItemMap, TheFileHoldsExactlyTheRowsInListOrderAfterEveryChange) {
    Start();
    Add(Sondrel::ikHoldingRegister, {"100", "1234", "0", "5000", {}, true});
    EXPECT_EQ(ReadProgramFile("ServerItems.dat"), Record(100, 2, 1234, 0, 5000, 1));
    Add(Sondrel::ikCoil, {"5", {}, "0", "65535", true, false});
    Add(Sondrel::ikInputRegister, {"3", "9"});
    Add(Sondrel::ikDiscreteInput, {"8", {}, "0", "65535", true});
    EXPECT_EQ(ReadProgramFile("ServerItems.dat"),
              Record(5, 0, 1, 0, 65535, 0) + Record(8, 1, 1, 0, 65535, 1) +
                  Record(100, 2, 1234, 0, 5000, 1) + Record(3, 3, 9, 0, 65535, 1));

    // A second coil at address 5 overwrites the first.
    Add(Sondrel::ikCoil, {"5", {}, "0", "65535", false, true});
    EXPECT_EQ(Model().rowCount(), 4);
    EXPECT_EQ(ReadProgramFile("ServerItems.dat").substr(0, 10), Record(5, 0, 0, 0, 65535, 1));

    // A cancelled editor changes nothing.
    Dialogs.DialogAnswers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    Controller().AddServerItemClick(Sondrel::ikCoil);
    EXPECT_EQ(Model().rowCount(), 4);

    // Edit the holding register through Enter in the list.
    Page().ServerItemsListView->selectRow(2);
    Dialogs.DialogAnswers.push_back(Fill({{}, "77", "0", "255", {}, false}));
    QTest::keyClick(Page().ServerItemsListView, Qt::Key_Return);
    EXPECT_TRUE(Dialogs.DialogAnswers.empty());
    EXPECT_EQ(Cell(2, 2), "77");
    EXPECT_EQ(Cell(2, 5), "Read-Only");
    EXPECT_EQ(ReadProgramFile("ServerItems.dat").substr(20, 10), Record(100, 2, 77, 0, 255, 0));

    // Remove the discrete input: No keeps it, Yes removes it.
    Page().ServerItemsListView->selectRow(1);
    Dialogs.YesNoAnswers = {false, true};
    Page().RemoveButton->click();
    EXPECT_EQ(Model().rowCount(), 4);
    Page().RemoveButton->click();
    EXPECT_EQ(Dialogs.Questions, QStringList({"Remove selected entry from the item map?",
                                              "Remove selected entry from the item map?"}));
    EXPECT_EQ(ReadProgramFile("ServerItems.dat"), Record(5, 0, 0, 0, 65535, 1) +
                                                      Record(100, 2, 77, 0, 255, 0) +
                                                      Record(3, 3, 9, 0, 65535, 1));

    Dialogs.YesNoAnswers = {true};
    Page().RemoveAllButton->click();
    EXPECT_EQ(Dialogs.Questions.last(), "Remove all entries from the item map?");
    EXPECT_EQ(Model().rowCount(), 0);
    EXPECT_TRUE(std::filesystem::exists(FolderPath() / "ServerItems.dat"));
    EXPECT_TRUE(ReadProgramFile("ServerItems.dat").empty());
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(ItemMap, WithoutASelectionEditAndRemoveAskNothing) {
    Start();
    Page().EditButton->click();
    Page().RemoveButton->click();
    Page().RemoveAllButton->click();
    EXPECT_TRUE(Dialogs.Questions.isEmpty());
    // The fixture fails on any dialog or question that was not expected.
}

TEST_F(ItemMap, ADoubleClickEditsTheRowUnderTheMouse) {
    Start();
    Add(Sondrel::ikCoil, {"1", {}, "0", "65535", false});
    Add(Sondrel::ikCoil, {"2", {}, "0", "65535", false});
    Dialogs.DialogAnswers.push_back(Fill({{}, {}, "0", "65535", true}));
    Controller().ServerItemsListViewDblClick(1);
    EXPECT_EQ(Cell(1, 2), "On");
    EXPECT_EQ(Cell(0, 2), "Off");
    EXPECT_EQ(Page().ServerItemsListView->selectionModel()->selectedRows().value(0).row(), 1);
}

TEST_F(ItemMap, ASaveErrorIsShownOnceAndTheMapKeepsTheChange) {
    // A folder in the file's place: the file cannot be replaced.
    std::filesystem::create_directory(FolderPath() / "ServerItems.dat");
    std::ofstream(FolderPath() / "ServerItems.dat" / "keep") << "x";
    Start();
    Dialogs.Errors.clear(); // loading a folder may complain; only the save is under test
    Add(Sondrel::ikHoldingRegister, {"9", "1"});
    EXPECT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Model().rowCount(), 1);
    EXPECT_TRUE(Window().ServerItems().FindServerItem(9, Sondrel::ikHoldingRegister).has_value());
}

// --- Server mode against a real master ----------------------------------------------------------

// mbpoll once in RTU, PDU addresses, one-second time-out, server address 1; type is its -t
// value (0 coils, 4 holding registers). Reads count items or writes the values. The window's
// events are processed while it runs, since the server answers on the main thread.
class ServerMode : public ItemMap {
protected:
    void SetUp() override {
        ItemMap::SetUp();
        WriteProgramFile("CorvaneDemo.dat", "[ModbusConnection1]\r\nConnectionMode=1\r\n");
        StoreSetting("SerialPort1", QString::fromStdString(Link.EndA()));
    }

    struct TPoll {
        int Status = -1;
        std::map<int, int> Values;
    };
    TPoll Mbpoll(const std::string& type, int start, int count, const std::string& value = {}) {
        std::vector<std::string> argv = {"mbpoll",
                                         "-m",
                                         "rtu",
                                         "-b",
                                         "9600",
                                         "-P",
                                         "none",
                                         "-a",
                                         "1",
                                         "-0",
                                         "-1",
                                         "-o",
                                         "1",
                                         "-t",
                                         type,
                                         "-r",
                                         std::to_string(start)};
        if (value.empty()) {
            argv.insert(argv.end(), {"-c", std::to_string(count)});
        }
        argv.push_back(Link.EndB());
        if (!value.empty()) {
            argv.push_back(value);
        }
        TestSupport::ChildProcess child(argv, TestSupport::ChildProcess::ErrorOutput::Capture);
        TPoll poll;
        WaitFor([&] { return (poll.Status = child.Wait(0ms)) != -1; }, 10000);
        std::istringstream out(child.Output());
        for (std::string line; std::getline(out, line);) {
            const auto close = line.find("]:");
            if (!line.empty() && line[0] == '[' && close != std::string::npos) {
                poll.Values[std::stoi(line.substr(1, close - 1))] =
                    std::stoi(line.substr(close + 2));
            }
        }
        return poll;
    }

    TestSupport::SocatLink Link;
};

TEST_F(ServerMode, AMasterReadsTheMapAndItsWritesAreJudgedByIt) {
    auto& window = Start();
    ASSERT_TRUE(
        Ui().PageControl1->isTabVisible(Ui().PageControl1->indexOf(Ui().ServerItemsTabSheet)));
    Add(Sondrel::ikHoldingRegister, {"100", "1234"});
    Add(Sondrel::ikHoldingRegister, {"101", "50", "0", "255", {}, true});
    Add(Sondrel::ikCoil, {"10", {}, "0", "65535", true});
    window.Connect1Click();
    ASSERT_TRUE(window.ModbusConnection1.Active()) << Dialogs.Errors.join(';').toStdString();

    const TPoll holding = Mbpoll("4", 100, 2);
    EXPECT_EQ(holding.Status, 0);
    EXPECT_EQ(holding.Values, (std::map<int, int>{{100, 1234}, {101, 50}}));
    const TPoll coil = Mbpoll("0", 10, 1);
    EXPECT_EQ(coil.Values, (std::map<int, int>{{10, 1}}));

    // Out of the register's range: refused and logged; the row keeps its value.
    const TPoll refused = Mbpoll("4", 101, 0, "300");
    EXPECT_NE(refused.Status, 0);
    EXPECT_TRUE(LogLines().contains(
        "[Write Request Error] Illegal value (300) for holding register at local server "
        "address 101."))
        << LogLines().join('|').toStdString();
    const int row =
        static_cast<int>(*window.ServerItems().FindServerItem(101, Sondrel::ikHoldingRegister));
    EXPECT_EQ(Cell(row, 2), "50");

    // Accepted: the row in the model shows the new value; the file keeps the operator's.
    QSignalSpy changed(&Model(), &QAbstractItemModel::dataChanged);
    const TPoll accepted = Mbpoll("4", 101, 0, "77");
    EXPECT_EQ(accepted.Status, 0);
    EXPECT_EQ(Cell(row, 2), "77");
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(ReadProgramFile("ServerItems.dat").substr(10 * row + 3, 2),
              std::string("\x32\x00", 2));
}

} // namespace
