#pragma once
// Message boxes on screen: the style's buttons, icon and default button map to a
// QMessageBox, and the button pressed comes back as the answer value.

#include "state/Prompt.h"

#include <QPointer>
#include <QWidget>

namespace app {

class MessageBoxPrompt : public state::Prompt {
public:
    explicit MessageBoxPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    int ask(const QString& text, int style, const QString& title) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace app
