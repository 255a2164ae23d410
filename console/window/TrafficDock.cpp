#include "TrafficDock.h"

#include "ApplicationSettings.h"
#include "DialogService.h"
#include "TrafficCapture.h"
#include "TrafficTableModel.h"

#include "FunctionCodes.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <array>
#include <exception>

namespace Sondrel {

namespace {

namespace Fc = Corvane::FunctionCodes;

constexpr std::array<std::uint8_t, 17> kFilterFunctions = {Fc::ReadCoils,
                                                           Fc::ReadDiscreteInputs,
                                                           Fc::ReadHoldingRegisters,
                                                           Fc::ReadInputRegisters,
                                                           Fc::WriteSingleCoil,
                                                           Fc::WriteSingleRegister,
                                                           Fc::ReadExceptionStatus,
                                                           Fc::Diagnostics,
                                                           Fc::GetCommEventCounter,
                                                           Fc::GetCommEventLog,
                                                           Fc::WriteMultipleCoils,
                                                           Fc::WriteMultipleRegisters,
                                                           Fc::ReportServerID,
                                                           Fc::ReadFileRecord,
                                                           Fc::WriteFileRecord,
                                                           Fc::MaskWriteRegister,
                                                           Fc::ReadWriteMultipleRegisters};

constexpr std::array<int, TTrafficTableModel::ColumnCount> kWidths = {110, 70, 260, 360,
                                                                      90,  80, 80};

QPushButton* Button(const char* name, const char* text, QWidget* parent) {
    auto* button = new QPushButton(QString::fromLatin1(text), parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

} // namespace

TTrafficDock::TTrafficDock(Corvane::TModbusConnection& connection, IDialogService& dialogs,
                           TApplicationSettings& settings, QWidget* parent)
    : QDockWidget(QStringLiteral("Traffic"), parent), FConnection(connection), FDialogs(dialogs),
      FSettings(settings) {
    setObjectName(QStringLiteral("TrafficDock"));
    FModel = new TTrafficTableModel(this);
    FModel->SetLimit(static_cast<std::size_t>(FSettings.TrafficFrameLimit()));
    FFilter = new TTrafficFilterModel(this);
    FFilter->setSourceModel(FModel);
    BuildWidgets();
    FConnection.FrameTap().SetEnabled(true);
    DrainTimer = new QTimer(this);
    DrainTimer->setInterval(DrainIntervalMs);
    connect(DrainTimer, &QTimer::timeout, this, &TTrafficDock::DrainNow);
    DrainTimer->start();
    ShowStatistics();
}

TTrafficDock::~TTrafficDock() {
    FConnection.FrameTap().SetEnabled(false);
}

void TTrafficDock::BuildWidgets() {
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* bar = new QHBoxLayout();
    PauseButton = Button("trafficPauseButton", "Pause", body);
    PauseButton->setCheckable(true);
    ClearButton = Button("trafficClearButton", "Clear", body);
    SaveButton = Button("trafficSaveButton", "Save...", body);
    DirectionFilter = new QComboBox(body);
    DirectionFilter->setObjectName(QStringLiteral("trafficDirectionFilter"));
    DirectionFilter->addItems(
        {QStringLiteral("Both directions"), QStringLiteral("Sent"), QStringLiteral("Received")});
    FunctionFilter = new QComboBox(body);
    FunctionFilter->setObjectName(QStringLiteral("trafficFunctionFilter"));
    FunctionFilter->addItem(QStringLiteral("All functions"));
    for (const std::uint8_t code : kFilterFunctions) {
        FunctionFilter->addItem(QString::fromStdString(FunctionName(code)), code);
    }
    StatusFilter = new QComboBox(body);
    StatusFilter->setObjectName(QStringLiteral("trafficStatusFilter"));
    StatusFilter->addItems({QStringLiteral("Any status"), QStringLiteral("Good"),
                            QStringLiteral("Faults"), QStringLiteral("Exceptions"),
                            QStringLiteral("Echoes")});
    LimitSpin = new QSpinBox(body);
    LimitSpin->setObjectName(QStringLiteral("trafficLimitSpin"));
    LimitSpin->setRange(TApplicationSettings::MinTrafficFrames,
                        TApplicationSettings::MaxTrafficFrames);
    LimitSpin->setSingleStep(1000);
    LimitSpin->setValue(static_cast<int>(FModel->Store().Limit()));
    LimitSpin->setSuffix(QStringLiteral(" frames"));
    LimitSpin->setToolTip(QStringLiteral("The most frames the view keeps; the oldest go first"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{PauseButton, ClearButton, SaveButton, DirectionFilter,
                                         FunctionFilter, StatusFilter, LimitSpin}) {
        bar->addWidget(w);
    }
    bar->addStretch(1);
    layout->addLayout(bar);

    Table = new QTableView(body);
    Table->setObjectName(QStringLiteral("trafficTable"));
    ShowModel(FModel);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setWordWrap(false);
    Table->verticalHeader()->setVisible(false);
    Table->verticalHeader()->setDefaultSectionSize(18);
    // Every row is one line: uniform sizes keep a table of 100 000 rows cheap to lay out.
    Table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // A dozen rows show when the dock opens.
    Table->setMinimumHeight(220);
    layout->addWidget(Table, 1);

    auto* statistics = new QHBoxLayout();
    StatisticsLabel = new QLabel(body);
    StatisticsLabel->setObjectName(QStringLiteral("trafficStatisticsLabel"));
    StatisticsLabel->setWordWrap(true);
    StatisticsLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    ResetButton = Button("trafficResetButton", "Reset Statistics", body);
    statistics->addWidget(StatisticsLabel, 1);
    statistics->addWidget(ResetButton, 0, Qt::AlignTop);
    layout->addLayout(statistics);
    setWidget(body);

    connect(PauseButton, &QPushButton::toggled, this, &TTrafficDock::SetPaused);
    connect(ClearButton, &QPushButton::clicked, this, &TTrafficDock::ClearClick);
    connect(SaveButton, &QPushButton::clicked, this, &TTrafficDock::SaveClick);
    connect(ResetButton, &QPushButton::clicked, this, &TTrafficDock::ResetStatisticsClick);
    for (QComboBox* box : {DirectionFilter, FunctionFilter, StatusFilter}) {
        connect(box, &QComboBox::currentIndexChanged, this, &TTrafficDock::ApplyFilters);
    }
    connect(LimitSpin, &QSpinBox::valueChanged, this, &TTrafficDock::LimitChanged);
}

// The table shows the model itself while no filter is chosen, and the filter model only when
// one is: a busy line at the frame limit then costs no remapping of every row per batch.
void TTrafficDock::ShowModel(QAbstractItemModel* model) {
    if (Table->model() == model) {
        return;
    }
    Table->setModel(model);
    for (int c = 0; c < TTrafficTableModel::ColumnCount; ++c) {
        Table->setColumnWidth(c, kWidths[static_cast<std::size_t>(c)]);
    }
    // The meaning takes what the window's width leaves.
    Table->horizontalHeader()->setSectionResizeMode(TTrafficTableModel::tcMeaning,
                                                    QHeaderView::Stretch);
    Table->scrollToBottom();
}

void TTrafficDock::DrainNow() {
    std::vector<TTrafficRow> rows = FAnnotator.Annotate(FConnection.FrameTap().Drain());
    if (rows.empty()) {
        return;
    }
    FStatistics.Add(rows);
    if (FPaused) {
        for (auto& row : rows) {
            FHeld.push_back(std::move(row));
        }
        while (FHeld.size() > FModel->Store().Limit()) {
            FHeld.pop_front();
        }
    } else {
        FModel->AppendRows(std::move(rows));
        if (!Table->selectionModel()->hasSelection()) {
            Table->scrollToBottom();
        }
    }
    ShowStatistics();
}

void TTrafficDock::SetPaused(bool paused) {
    if (paused == FPaused) {
        return;
    }
    FPaused = paused;
    if (PauseButton->isChecked() != paused) {
        PauseButton->setChecked(paused);
    }
    PauseButton->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    if (!paused && !FHeld.empty()) {
        FModel->AppendRows(
            {std::make_move_iterator(FHeld.begin()), std::make_move_iterator(FHeld.end())});
        FHeld.clear();
    }
}

void TTrafficDock::ClearClick() {
    FModel->Clear();
    FHeld.clear();
}

void TTrafficDock::SaveClick() {
    TFileDialogOptions options;
    options.Title = QStringLiteral("Save Traffic");
    options.FileName = QStringLiteral("traffic.csv");
    options.Filter = QStringLiteral("CSV Files (*.csv);;Text Capture (*.txt);;All Files (*)");
    options.DefaultSuffix = QStringLiteral("csv");
    const QString path = FDialogs.GetSaveFileName(options);
    if (path.isEmpty()) {
        return;
    }
    const TTrafficCaptureFormat format =
        path.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive) ? tcfText : tcfCsv;
    try {
        SaveTrafficCapture(path.toStdString(), FModel->Store(), format);
    } catch (const std::exception& e) {
        FDialogs.ShowError(QString::fromStdString(e.what()));
    }
}

void TTrafficDock::ResetStatisticsClick() {
    FStatistics.Reset();
    ShowStatistics();
}

QString TTrafficDock::StatisticsText() const {
    QStringList lines;
    for (const std::string& line : FStatistics.SummaryLines()) {
        lines << QString::fromStdString(line);
    }
    return lines.join(QLatin1Char('\n'));
}

void TTrafficDock::ApplyFilters() {
    const int direction = DirectionFilter->currentIndex();
    FFilter->SetDirection(direction == 1   ? std::optional(Corvane::ckSent)
                          : direction == 2 ? std::optional(Corvane::ckReceived)
                                           : std::nullopt);
    const QVariant code = FunctionFilter->currentData();
    FFilter->SetFunction(code.isValid() ? std::optional(static_cast<std::uint8_t>(code.toUInt()))
                                        : std::nullopt);
    FFilter->SetStatus(
        static_cast<TTrafficStatusFilter>(std::max(0, StatusFilter->currentIndex())));
    const bool filtered = direction > 0 || code.isValid() || StatusFilter->currentIndex() > 0;
    ShowModel(filtered ? static_cast<QAbstractItemModel*>(FFilter) : FModel);
}

void TTrafficDock::LimitChanged(int frames) {
    FModel->SetLimit(static_cast<std::size_t>(frames));
    try {
        FSettings.SetTrafficFrameLimit(frames);
    } catch (const std::exception& e) {
        FDialogs.ShowError(QString::fromStdString(e.what()));
    }
}

void TTrafficDock::ShowStatistics() {
    // In the dock the counts share a line or two and each hint has its own; the tooltip has
    // every line.
    QStringList all;
    QStringList counts;
    QStringList hints;
    for (const std::string& line : FStatistics.SummaryLines()) {
        const QString text = QString::fromStdString(line);
        all << text;
        (text.startsWith(QStringLiteral("Hint: ")) ? hints : counts) << text;
    }
    QString shown = counts.join(QStringLiteral("   "));
    for (const QString& hint : hints) {
        shown += QLatin1Char('\n') + hint;
    }
    StatisticsLabel->setText(shown);
    emit StatisticsChanged(all.join(QLatin1Char('\n')));
}

} // namespace Sondrel
