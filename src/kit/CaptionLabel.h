#pragma once
// A label that reports changes of its caption, so handlers can react to a name
// being put in or taken out.

#include <QLabel>

namespace kit {

class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    // Sets the caption and reports the change (also when the text is the same, as
    // an assignment of the caption does).
    void setCaption(const QString& text) {
        setText(text);
        emit captionChanged(text);
    }
    QString caption() const { return text(); }

signals:
    void captionChanged(const QString& text);
};

}  // namespace kit
