// Preloaded into the program under test: once the main window's store tree has
// filled (or after 90 s), prints what the window shows and ends the program
// with status 0 when the tree filled, 3 when it did not.

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

namespace {

template <typename T>
T* widgetNamed(const char* name) {
    for (QWidget* w : QApplication::allWidgets())
        if (w->objectName() == QLatin1String(name))
            if (auto* t = qobject_cast<T*>(w)) return t;
    return nullptr;
}

int storeCount(QTreeWidget* tree) {
    int n = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) n += tree->topLevelItem(i)->childCount();
    return n;
}

QString errorLog() {
    if (auto* e = widgetNamed<QPlainTextEdit>("txtErr")) return e->toPlainText();
    if (auto* e = widgetNamed<QTextEdit>("txtErr")) return e->toPlainText();
    return QString();
}

void report(QTreeWidget* tree, bool filled) {
    auto* list = widgetNamed<QTreeView>("ListView1");
    std::printf("groups=%d stores=%d users=%d\n", tree ? tree->topLevelItemCount() : -1, tree ? storeCount(tree) : -1,
                list && list->model() ? list->model()->rowCount() : -1);
    std::printf("errorlog=%s\n", errorLog().simplified().toUtf8().constData());
    std::fflush(stdout);
    QCoreApplication::exit(filled ? 0 : 3);
}

void watch() {
    auto* clock = new QElapsedTimer;
    clock->start();
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, [timer, clock] {
        auto* tree = widgetNamed<QTreeWidget>("TreeView1");
        // The first refresh ends with the remembered store's users listed.
        auto* form = widgetNamed<QWidget>("InstallForm");
        const bool filled = tree && form && storeCount(tree) > 0 && form->cursor().shape() != Qt::WaitCursor;
        if (filled || clock->elapsed() > 90000) {
            timer->stop();
            report(tree, filled);
        }
    });
    timer->start(250);
}

struct Install {
    Install() { qAddPreRoutine(watch); }
} install;

}  // namespace
