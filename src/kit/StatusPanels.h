#pragma once
// Keyed panels of a status bar: each panel is a label found by its key, so code
// can write "the text panel" without holding on to the widget.

#include <QLabel>
#include <QStatusBar>
#include <QString>

namespace kit {

enum class PanelSize { Stretch, Fixed };

// Adds a sunken panel with `key` at the right end of the bar. A fixed panel is
// `width` pixels wide; a stretching one takes the space left.
QLabel* addStatusPanel(QStatusBar* bar, const QString& key, PanelSize size, int width = 0);
// The panel with `key`, or nullptr.
QLabel* statusPanel(const QStatusBar* bar, const QString& key);
// Sets the text of the panel with `key` (nothing when there is no such panel).
void setPanelText(QStatusBar* bar, const QString& key, const QString& text);

}  // namespace kit
