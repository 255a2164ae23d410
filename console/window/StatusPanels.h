// TStatusPanels: the window's status bar with four text panels of 190, 150, 300 and 50 pixels:
// the connection state, the address in use, the transaction queue, and one left empty. A
// panel widens to show the whole of a longer text (a connection on a long port name) and
// returns to its width for a shorter one; its tooltip holds the text as well, for a window
// too narrow for it. Main (GUI) thread only; the panels are children of the bar.
#pragma once

#include <QStatusBar>

#include <array>

class QLabel;

namespace Sondrel {

class TStatusPanels : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int PanelCount = 4;
    static constexpr std::array<int, PanelCount> PanelWidths = {190, 150, 300, 50};

    explicit TStatusPanels(QWidget* parent = nullptr);

    void SetPanelText(int panel, const QString& text);
    QString PanelText(int panel) const;
    // The panel's label (its width and what it shows); nullptr for a panel that does not exist.
    const QLabel* Panel(int panel) const;

private:
    std::array<QLabel*, PanelCount> FPanels{};
};

} // namespace Sondrel
