#include "SerialPortComboBox.h"

#include "PortMonitor.h"

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

std::vector<std::string> TSerialPortComboBox::PortNames() const {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i) {
        names.push_back(itemText(i).toStdString());
    }
    return names;
}

void TSerialPortComboBox::SetPortText(const QString& port) {
    const int index = findText(port, Qt::MatchFixedString);
    if (index >= 0) {
        setCurrentIndex(index);
    } else {
        setEditText(port);
    }
}

void TSerialPortComboBox::ShowListedPort(const std::string& wanted) {
    const QSignalBlocker blocker(this);
    const QString shown = QString::fromStdString(PickerText(PortNames(), wanted));
    const int index = findText(shown, Qt::MatchExactly);
    if (index >= 0) {
        setCurrentIndex(index);
    }
    setEditText(shown);
}

void TSerialPortComboBox::showPopup() {
    RefreshPorts();
    QComboBox::showPopup();
}

} // namespace Sondrel
