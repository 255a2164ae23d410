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
            const auto label = FLabels.find(name);
            const QString port = QString::fromStdString(name);
            addItem(label != FLabels.end() ? label->second : port, port);
        }
    }
    setEditText(shown);
}

std::vector<std::string> TSerialPortComboBox::PortNames() const {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i) {
        names.push_back(itemData(i).toString().toStdString());
    }
    return names;
}

void TSerialPortComboBox::SetPortLabel(const std::string& port, const QString& label) {
    if (label.isEmpty()) {
        FLabels.erase(port);
    } else {
        FLabels[port] = label;
    }
}

int TSerialPortComboBox::PortIndex(const QString& port) const {
    for (int i = 0; i < count(); ++i) {
        if (itemData(i).toString().compare(port, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString TSerialPortComboBox::PortText() const {
    const QString shown = currentText();
    const int index = findText(shown, Qt::MatchExactly);
    return index >= 0 ? itemData(index).toString() : shown;
}

void TSerialPortComboBox::SetPortText(const QString& port) {
    const int index = PortIndex(port);
    if (index >= 0) {
        setCurrentIndex(index);
    } else {
        setEditText(port);
    }
}

void TSerialPortComboBox::ShowListedPort(const std::string& wanted) {
    const QSignalBlocker blocker(this);
    const QString port = QString::fromStdString(PickerText(PortNames(), wanted));
    const int index = PortIndex(port);
    if (index >= 0) {
        setCurrentIndex(index);
        setEditText(itemText(index));
    } else {
        setEditText(port);
    }
}

void TSerialPortComboBox::showPopup() {
    RefreshPorts();
    QComboBox::showPopup();
}

} // namespace Sondrel
