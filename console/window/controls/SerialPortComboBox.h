// TSerialPortComboBox: a port picker that lists the serial ports present on the machine.
//
// The list comes from a port lister (Corvane::GetSerialPortNames unless replaced; the main
// window gives every picker its own listing) and is read again by RefreshPorts and whenever
// the list drops down, so it shows the ports present at that moment. The picker is editable:
// a port that the listing cannot see (a pseudo-terminal, a port named in the settings that is
// unplugged now) can still be typed or stored, and is shown as it is.
//
// A port may be shown under a label of its own (the simulated instrument's pseudo-terminal as
// "Simulated instrument (/dev/pts/3)"): the list shows the label, while PortNames and PortText
// give the port itself.
//
// Programmatic changes (RefreshPorts, ShowListedPort) emit no change signals; SetPortText does,
// as typing would.
//
// Main (GUI) thread only.
#pragma once

#include <QComboBox>

#include <functional>
#include <map>
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
    // Shows the port under this label from the next listing on (an empty label: as itself).
    void SetPortLabel(const std::string& port, const QString& label);

    // Shows the port: its item when listed, else the text itself.
    void SetPortText(const QString& port);
    // Shows what a drop-down list shows when told to show wanted: the listed port that matches
    // it without regard to case, else the first listed port, else nothing.
    void ShowListedPort(const std::string& wanted);
    // The port shown: the port of the item whose text is shown, else the text as typed.
    QString PortText() const;

    void showPopup() override;

private:
    // The index of the listed port, matched without regard to case; -1 when not listed.
    int PortIndex(const QString& port) const;

    TPortLister FLister;
    std::map<std::string, QString> FLabels;
};

} // namespace Sondrel
