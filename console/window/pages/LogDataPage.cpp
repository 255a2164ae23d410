#include "LogDataPage.h"

#include "ui_LogDataPage.h"

#include <QDateTime>

#include <initializer_list>

namespace Sondrel {

TLogDataPage::TLogDataPage(QWidget* parent)
    : QWidget(parent), FUi(std::make_unique<Ui::TLogDataPage>()) {
    FUi->setupUi(this);
    auto& ui = *FUi;
    struct TBinding {
        TUpDown* UpDown;
        QLineEdit* Edit;
        int Min;
        int Max;
    };
    for (const TBinding& b :
         {TBinding{ui.UpDown1, ui.monthEdit, 1, 12}, TBinding{ui.UpDown2, ui.dayEdit, 1, 31},
          TBinding{ui.UpDown3, ui.hourEdit, 0, 23}, TBinding{ui.UpDown4, ui.minEdit, 0, 59},
          TBinding{ui.intervalUpDown, ui.intervalEdit, 1, 62000}}) {
        b.UpDown->SetBuddy(b.Edit);
        b.UpDown->SetRange(b.Min, b.Max);
        b.UpDown->SetPosition(b.Edit->text().toInt());
    }
    connect(ui.updateTimeButton, &QPushButton::clicked, this, [this] { updateTimeButtonClick(); });

    // The operator's edits choose the kind of download they belong to.
    connect(ui.recordsEdit, &QLineEdit::textEdited, this, [this] { recordsEditChange(); });
    for (QLineEdit* edit : {ui.monthEdit, ui.dayEdit, ui.hourEdit, ui.minEdit, ui.recentDateEdit}) {
        connect(edit, &QLineEdit::textEdited, this, [this] { hourEditChange(); });
    }
    for (TUpDown* upDown : {ui.UpDown1, ui.UpDown2, ui.UpDown3, ui.UpDown4}) {
        connect(upDown, &TUpDown::Clicked, this, [this] { hourEditChange(); });
    }
    connect(ui.prevfollCB, &QComboBox::activated, this, [this] { prevfollCBChange(); });
}

void TLogDataPage::recordsEditChange() {
    FUi->recentRadioButton->setChecked(true);
}

void TLogDataPage::hourEditChange() {
    FUi->dateRadioButton->setChecked(true);
}

void TLogDataPage::prevfollCBChange() {
    FUi->dateRadioButton->setChecked(true);
}

TLogDataPage::~TLogDataPage() = default;

void TLogDataPage::SetDateSelectors(const QDateTime& when) {
    FUi->UpDown1->SetPosition(when.date().month());
    FUi->UpDown2->SetPosition(when.date().day());
    FUi->UpDown3->SetPosition(when.time().hour());
    FUi->UpDown4->SetPosition(when.time().minute());
}

void TLogDataPage::updateTimeButtonClick() {
    SetDateSelectors(QDateTime::currentDateTime());
}

void TLogDataPage::enableButtons(bool value) {
    auto& ui = *FUi;
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui.updateTimeButton, ui.startButton, ui.newRecordsButton, ui.recentRadioButton,
             ui.recordsEdit, ui.intervalLabel, ui.intervalEdit, ui.intervalUpDown,
             ui.dateRadioButton, ui.monthEdit, ui.UpDown1, ui.dayEdit, ui.UpDown2, ui.hourEdit,
             ui.UpDown3, ui.minEdit, ui.UpDown4, ui.recentDateEdit, ui.prevfollCB}) {
        w->setEnabled(value);
    }
}

} // namespace Sondrel
