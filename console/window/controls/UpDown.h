// TUpDown: a pair of arrow buttons bound to an edit (its buddy), stepping the whole number in
// the edit by one within a range, as an up-down control does. The edit keeps the text; the
// up-down keeps a position within [Min, Max] and writes it to the edit as plain digits (no
// thousands separator).
//
// Main (GUI) thread only. The buddy is borrowed and must outlive the up-down (both are
// children of the same page).
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace Sondrel {

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    void SetBuddy(QLineEdit* edit);
    QLineEdit* Buddy() const { return FBuddy; }

    void SetRange(int min, int max);
    int Min() const { return FMin; }
    int Max() const { return FMax; }

    // The position, clamped to the range, is written to the buddy.
    void SetPosition(int position);
    int Position() const { return FPosition; }

    // One step as a click on an arrow does: from the buddy's number (or the position when the
    // text is not a number), by +1 or -1, clamped to the range.
    void Step(int delta);

signals:
    // The operator changed the position with an arrow.
    void Clicked(int position);

protected:
    void changeEvent(QEvent* event) override;

private:
    QToolButton* FUp;
    QToolButton* FDown;
    QLineEdit* FBuddy = nullptr;
    int FMin = 0;
    int FMax = 100;
    int FPosition = 0;
};

} // namespace Sondrel
