// TSerialPortComboBox: a port picker that lists the serial ports present on the machine.
//
// The list comes from a port lister (Corvane::GetSerialPortNames unless replaced) and is read
// again by RefreshPorts. The picker is editable: a port that the listing cannot see (a
// pseudo-terminal, a port named in the settings that is unplugged now) can still be typed or
// stored, and is shown as it is.
//
// Main (GUI) thread only.
#pragma once

#include <QComboBox>

#include <functional>
#include <string>
#include <vector>

namespace Sondrel {

class TSerialPortComboBox : public QComboBox {
    Q_OBJECT
public:
    using TPortLister = std::function<std::vector<std::string>()>;

    explicit TSerialPortComboBox(QWidget* parent = nullptr);

    // Replaces the lister and reads the list again.
    void SetPortLister(TPortLister lister);
    // Reads the list again; the text shown stays.
    void RefreshPorts();

    // Shows the port: its item when listed, else the text itself.
    void SetPortText(const QString& port);
    QString PortText() const { return currentText(); }

private:
    TPortLister FLister;
};

} // namespace Sondrel
