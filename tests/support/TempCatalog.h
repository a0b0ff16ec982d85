#pragma once
// A catalog file in a fresh temporary folder, the event-sink library built next
// to the program, and the catalog steps tests take to set up or read back.

#include "platform/complus/Catalog.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>

namespace testing_support {

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

// The Applications collection, read.
inline platform::complus::CatalogCollection applications(platform::complus::Catalog& catalog) {
    platform::complus::CatalogCollection apps = catalog.GetCollection(QStringLiteral("Applications"));
    apps.Populate();
    return apps;
}

// Adds and saves one application; answers its key.
inline QString addApp(platform::complus::Catalog& catalog, const QString& name, const QString& identity = QString()) {
    platform::complus::CatalogCollection apps = applications(catalog);
    platform::complus::CatalogObject app = apps.Add();
    app.SetValue(QStringLiteral("Name"), name);
    if (!identity.isEmpty()) app.SetValue(QStringLiteral("Identity"), identity);
    apps.SaveChanges();
    return app.Key();
}

// The Components collection of one application, read.
inline platform::complus::CatalogCollection componentsOf(platform::complus::Catalog& catalog, const QString& appId) {
    platform::complus::CatalogCollection c = catalog.GetCollection(QStringLiteral("Components"), appId);
    c.Populate();
    return c;
}

}  // namespace testing_support
