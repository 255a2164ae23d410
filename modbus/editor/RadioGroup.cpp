#include "RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

namespace Corvane {

TRadioGroup::TRadioGroup(QWidget* parent)
    : QGroupBox(parent), FButtons(new QButtonGroup(this)), FLayout(new QGridLayout(this)) {
    FLayout->setContentsMargins(6, 4, 6, 4);
    FLayout->setVerticalSpacing(2);
    connect(FButtons, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) {
            emit ItemIndexChanged(id);
        }
    });
}

void TRadioGroup::SetItems(const QStringList& items) {
    for (QAbstractButton* button : FButtons->buttons()) {
        FButtons->removeButton(button);
        delete button;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        button->setObjectName(objectName() + QStringLiteral("_Item%1").arg(i));
        FButtons->addButton(button, i);
    }
    Arrange();
}

QStringList TRadioGroup::Items() const {
    QStringList items;
    for (int i = 0; i < Count(); ++i) {
        items << FButtons->button(i)->text();
    }
    return items;
}

int TRadioGroup::Count() const {
    return static_cast<int>(FButtons->buttons().size());
}

void TRadioGroup::SetColumns(int columns) {
    FColumns = columns < 1 ? 1 : columns;
    Arrange();
}

void TRadioGroup::Arrange() {
    const int count = Count();
    // Items fill the first column top to bottom, then the next, as a radio group does.
    const int rows = (count + FColumns - 1) / FColumns;
    for (int i = 0; i < count; ++i) {
        QAbstractButton* button = FButtons->button(i);
        FLayout->removeWidget(button);
        FLayout->addWidget(button, rows > 0 ? i % rows : 0, rows > 0 ? i / rows : 0);
    }
}

int TRadioGroup::ItemIndex() const {
    return FButtons->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = FButtons->button(index)) {
        button->setChecked(true);
        return;
    }
    // Unchecking the last checked button of an exclusive group needs exclusivity off.
    if (QAbstractButton* checked = FButtons->checkedButton()) {
        FButtons->setExclusive(false);
        checked->setChecked(false);
        FButtons->setExclusive(true);
        emit ItemIndexChanged(-1);
    }
}

QRadioButton* TRadioGroup::Button(int index) const {
    return qobject_cast<QRadioButton*>(FButtons->button(index));
}

} // namespace Corvane
