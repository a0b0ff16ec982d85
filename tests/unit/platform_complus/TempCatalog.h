#pragma once
// Test support: a catalog file in a fresh temporary folder, and the event-sink
// library built next to the program.

#include "platform/ComError.h"
#include "platform/complus/Catalog.h"

#include <QDir>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace testsupport {

struct TempCatalog {
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("complus/catalog.db")); }
    platform::complus::Catalog open() const { return platform::complus::Catalog(path()); }
};

// The folder holding the built Tavimor.so: $TAVIMOR_BUILD_DIR, else the folder of
// the test program, which is built into the same build folder.
inline QString buildDir() {
    const char* dir = std::getenv("TAVIMOR_BUILD_DIR");
    if (dir && *dir) return QString::fromLocal8Bit(dir);
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).path();
}

inline QString sinkLibrary() { return buildDir() + QStringLiteral("/Tavimor.so"); }

// Runs `f` and answers the ComError number it threw (0 when it did not throw).
template <typename F>
int32_t errorOf(F&& f) {
    try {
        f();
    } catch (const platform::ComError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace testsupport
