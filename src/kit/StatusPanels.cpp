#include "kit/StatusPanels.h"

namespace kit {
namespace {
const char* kKeyProperty = "panelKey";
}

QLabel* addStatusPanel(QStatusBar* bar, const QString& key, PanelSize size, int width) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(QStringLiteral("panel_") + key);
    panel->setProperty(kKeyProperty, key);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setContentsMargins(4, 0, 4, 0);
    if (size == PanelSize::Fixed) {
        panel->setFixedWidth(width);
        bar->addPermanentWidget(panel, 0);
    } else {
        panel->setMinimumWidth(width);
        bar->addWidget(panel, 1);
    }
    return panel;
}

QLabel* statusPanel(const QStatusBar* bar, const QString& key) {
    if (!bar) return nullptr;
    for (QLabel* l : bar->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        if (l->property(kKeyProperty).toString() == key) return l;
    return nullptr;
}

void setPanelText(QStatusBar* bar, const QString& key, const QString& text) {
    if (QLabel* p = statusPanel(bar, key)) p->setText(text);
}

}  // namespace kit
