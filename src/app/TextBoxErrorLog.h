#pragma once
// The error log of a window: entries live in a read-only text box; showing the log
// makes the box and its "Clear Error Log" button visible.

#include "state/ErrorLog.h"

#include <QPointer>

class QPlainTextEdit;
class QWidget;

namespace app {

class TextBoxErrorLog : public state::ErrorLog {
public:
    TextBoxErrorLog(QPlainTextEdit* box, QWidget* clearButton) : box_(box), clearButton_(clearButton) {}
    QString text() const override;
    void setText(const QString& text) override;
    void show() override;

private:
    QPointer<QPlainTextEdit> box_;
    QPointer<QWidget> clearButton_;
};

}  // namespace app
