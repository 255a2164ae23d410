// TRadioGroup: a titled group of mutually exclusive radio buttons, arranged in a given number
// of columns and read and set by the index of the chosen item (-1: none chosen).
//
// Used by the connection options dialog and by the console's dialogs and pages. Main (GUI)
// thread only. The buttons are children of the group and live as long as it does.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

namespace Corvane {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    // Replaces the items; none is chosen afterwards.
    void SetItems(const QStringList& items);
    QStringList Items() const;
    int Count() const;
    void SetColumns(int columns);

    int ItemIndex() const;
    // Chooses the item; an index outside the items (-1 among them) chooses none.
    void SetItemIndex(int index);

    QRadioButton* Button(int index) const;

signals:
    // The chosen item changed, by the user or by SetItemIndex.
    void ItemIndexChanged(int index);

private:
    void Arrange();

    QButtonGroup* FButtons;
    QGridLayout* FLayout;
    int FColumns = 1;
};

} // namespace Corvane
