#include "app/TextBoxErrorLog.h"

#include <QPlainTextEdit>

namespace app {

// The box shows line breaks as the text has them; the entries' CR LF pairs are
// kept in the stored text so readers get back exactly what was written.
QString TextBoxErrorLog::text() const {
    return box_ ? box_->property("logText").toString() : QString();
}

void TextBoxErrorLog::setText(const QString& text) {
    if (!box_) return;
    box_->setProperty("logText", text);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box_->setPlainText(shown);
}

void TextBoxErrorLog::show() {
    if (box_) box_->setVisible(true);
    if (clearButton_) clearButton_->setVisible(true);
}

}  // namespace app
