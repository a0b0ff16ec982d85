#pragma once
// The mouse pointer of a window or control as a value: 0 the default arrow, 11 the
// hourglass. The value is kept on the widget so it can be read back.

#include <QWidget>

namespace kit {

constexpr int vbDefault = 0;
constexpr int vbHourglass = 11;

inline void setMousePointer(QWidget* w, int pointer) {
    if (!w) return;
    w->setProperty("mousePointer", pointer);
    if (pointer == vbHourglass)
        w->setCursor(Qt::WaitCursor);
    else
        w->unsetCursor();
}

inline int mousePointer(const QWidget* w) {
    return w ? w->property("mousePointer").toInt() : vbDefault;
}

}  // namespace kit
