#pragma once
// Suspends redrawing of one window for the life of the object. Only one window is
// frozen at a time: freezing another releases the first.

#include <QPointer>
#include <QWidget>

namespace kit {

class Freeze {
public:
    explicit Freeze(QWidget* window) {
        if (current() && current() != window) current()->setUpdatesEnabled(true);
        current() = window;
        if (window) window->setUpdatesEnabled(false);
    }
    ~Freeze() {
        if (current()) {
            current()->setUpdatesEnabled(true);
            current()->update();
        }
        current() = nullptr;
    }
    Freeze(const Freeze&) = delete;
    Freeze& operator=(const Freeze&) = delete;

private:
    static QPointer<QWidget>& current() {
        static QPointer<QWidget> w;
        return w;
    }
};

}  // namespace kit
