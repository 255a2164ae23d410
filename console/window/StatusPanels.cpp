#include "StatusPanels.h"

#include <QLabel>

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
    if (panel >= 0 && panel < PanelCount) {
        FPanels[static_cast<std::size_t>(panel)]->setText(text);
    }
}

QString TStatusPanels::PanelText(int panel) const {
    if (panel >= 0 && panel < PanelCount) {
        return FPanels[static_cast<std::size_t>(panel)]->text();
    }
    return QString();
}

} // namespace Sondrel
