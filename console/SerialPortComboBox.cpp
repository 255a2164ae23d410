#include "SerialPortComboBox.h"

#include "SerialPortNames.h"

namespace Sondrel {

TSerialPortComboBox::TSerialPortComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    FLister = [] {
        std::vector<std::string> names;
        Corvane::GetSerialPortNames(names);
        return names;
    };
    RefreshPorts();
}

void TSerialPortComboBox::SetPortLister(TPortLister lister) {
    FLister = std::move(lister);
    RefreshPorts();
}

void TSerialPortComboBox::RefreshPorts() {
    const QString shown = currentText();
    const QSignalBlocker blocker(this);
    clear();
    if (FLister) {
        for (const auto& name : FLister()) {
            addItem(QString::fromStdString(name));
        }
    }
    setEditText(shown);
}

void TSerialPortComboBox::SetPortText(const QString& port) {
    const int index = findText(port, Qt::MatchFixedString);
    if (index >= 0) {
        setCurrentIndex(index);
    } else {
        setEditText(port);
    }
}

} // namespace Sondrel
