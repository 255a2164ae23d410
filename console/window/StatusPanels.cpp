#include "StatusPanels.h"

#include <QLabel>

#include <algorithm>

namespace Sondrel {

TStatusPanels::TStatusPanels(QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(true);
    for (int i = 0; i < PanelCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->setFixedWidth(PanelWidths[static_cast<std::size_t>(i)]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        panel->setTextInteractionFlags(Qt::NoTextInteraction);
        addWidget(panel);
        FPanels[static_cast<std::size_t>(i)] = panel;
    }
}

void TStatusPanels::SetPanelText(int panel, const QString& text) {
    if (panel < 0 || panel >= PanelCount) {
        return;
    }
    QLabel* label = FPanels[static_cast<std::size_t>(panel)];
    label->setText(text);
    label->setToolTip(text);
    // The frame, the label's margin and its indent on both sides, and a little room.
    const int chrome =
        2 * (label->frameWidth() + label->margin()) + label->fontMetrics().averageCharWidth() * 2;
    const int needed = label->fontMetrics().horizontalAdvance(text) + chrome;
    label->setFixedWidth(std::max(PanelWidths[static_cast<std::size_t>(panel)], needed));
}

const QLabel* TStatusPanels::Panel(int panel) const {
    return panel >= 0 && panel < PanelCount ? FPanels[static_cast<std::size_t>(panel)] : nullptr;
}

QString TStatusPanels::PanelText(int panel) const {
    if (panel >= 0 && panel < PanelCount) {
        return FPanels[static_cast<std::size_t>(panel)]->text();
    }
    return QString();
}

} // namespace Sondrel
