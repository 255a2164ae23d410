#include "UpDown.h"

#include <QEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace Sondrel {

TUpDown::TUpDown(QWidget* parent)
    : QWidget(parent), FUp(new QToolButton(this)), FDown(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {FUp, FDown}) {
        button->setAutoRepeat(true);
        button->setFixedSize(16, 11);
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
    }
    FUp->setArrowType(Qt::UpArrow);
    FDown->setArrowType(Qt::DownArrow);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(FUp, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(FDown, &QToolButton::clicked, this, [this] { Step(-1); });
}

void TUpDown::SetBuddy(QLineEdit* edit) {
    FBuddy = edit;
}

void TUpDown::SetRange(int min, int max) {
    FMin = std::min(min, max);
    FMax = std::max(min, max);
    FPosition = std::clamp(FPosition, FMin, FMax);
}

void TUpDown::SetPosition(int position) {
    FPosition = std::clamp(position, FMin, FMax);
    if (FBuddy != nullptr) {
        FBuddy->setText(QString::number(FPosition));
    }
}

void TUpDown::Step(int delta) {
    int from = FPosition;
    if (FBuddy != nullptr) {
        bool ok = false;
        const int shown = FBuddy->text().trimmed().toInt(&ok);
        if (ok) {
            from = std::clamp(shown, FMin, FMax);
        }
    }
    const long long next = static_cast<long long>(from) + delta;
    SetPosition(static_cast<int>(std::clamp<long long>(next, FMin, FMax)));
    emit Clicked(FPosition);
}

void TUpDown::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        FUp->setEnabled(isEnabled());
        FDown->setEnabled(isEnabled());
    }
    QWidget::changeEvent(event);
}

} // namespace Sondrel
