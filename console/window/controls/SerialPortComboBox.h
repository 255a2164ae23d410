// TSerialPortComboBox: a port picker that lists the serial ports present on the machine.
//
// The list comes from a port lister (Corvane::GetSerialPortNames unless replaced; the main
// window gives every picker its own listing) and is read again by RefreshPorts and whenever
// the list drops down, so it shows the ports present at that moment. The picker is editable:
// a port that the listing cannot see (a pseudo-terminal, a port named in the settings that is
// unplugged now) can still be typed or stored, and is shown as it is.
//
// Programmatic changes (RefreshPorts, ShowListedPort) emit no change signals; SetPortText does,
// as typing would.
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
    // The listed ports, in list order.
    std::vector<std::string> PortNames() const;

    // Shows the port: its item when listed, else the text itself.
    void SetPortText(const QString& port);
    // Shows what a drop-down list shows when told to show wanted: the listed port that matches
    // it without regard to case, else the first listed port, else nothing.
    void ShowListedPort(const std::string& wanted);
    QString PortText() const { return currentText(); }

    void showPopup() override;

private:
    TPortLister FLister;
};

} // namespace Sondrel
