#include "platform/complus/InstalledComponent.h"

#include "platform/ComError.h"
#include "platform/complus/Catalog.h"
#include "platform/complus/PrivateFile.h"

#include <QDateTime>
#include <QFileInfo>
#include <QHash>
#include <mutex>

namespace platform::complus {
namespace {

struct Loaded {
    QDateTime modified;
    std::shared_ptr<ComponentModule> module;
};

// The library file of the first component of that class, in catalog order.
QString libraryOf(Catalog& catalog, const QString& progId) {
    CatalogCollection apps = catalog.GetCollection(QStringLiteral("Applications"));
    apps.Populate();
    for (int i = 0; i < apps.Count(); ++i) {
        CatalogCollection components = catalog.GetCollection(QStringLiteral("Components"), apps.Item(i).Key());
        components.Populate();
        for (int c = 0; c < components.Count(); ++c) {
            const CatalogObject component = components.Item(c);
            if (component.Name().compare(progId, Qt::CaseInsensitive) == 0)
                return component.Value(QStringLiteral("DLL")).toString();
        }
    }
    return QString();
}

// The library of a class as one content of the catalog file names it, so that a
// store raising an event for every save reads the catalog only when it changed.
struct Answer {
    QByteArray version;
    QString file;
};

QString cachedLibraryOf(const QString& catalogPath, const QString& progId) {
    static std::mutex lock;
    static QHash<QString, Answer> answers;
    const QString key = catalogPath + QLatin1Char('\n') + progId.toLower();
    // Read before the catalog: a write in between leaves an answer filed under
    // the older version, which is then never used.
    const QByteArray version = privateFileVersion(catalogPath);
    {
        const std::lock_guard guard(lock);
        const auto it = answers.constFind(key);
        if (it != answers.constEnd() && it->version == version) return it->file;
    }
    QString file;
    {
        Catalog catalog(catalogPath, Catalog::Access::ReadOnly);
        file = libraryOf(catalog, progId);
    }
    const std::lock_guard guard(lock);
    if (answers.size() > 64) answers.clear();
    answers.insert(key, Answer{version, file});
    return file;
}

}  // namespace

std::shared_ptr<ComponentModule> loadInstalledComponent(const QString& catalogPath, const QString& progId) {
    const QString file = cachedLibraryOf(catalogPath, progId);
    if (file.isEmpty()) return nullptr;

    static std::mutex lock;
    static QHash<QString, Loaded> loaded;
    const std::lock_guard guard(lock);
    const QFileInfo info(file);
    const QString key = info.absoluteFilePath();
    auto it = loaded.find(key);
    // A library replaced on disk is loaded afresh; the old one stays mapped
    // while a call may still use it.
    if (it == loaded.end() || it->modified != info.lastModified()) {
        std::shared_ptr<ComponentModule> module;
        try {
            module = ComponentModule::load(key);
        } catch (const platform::ComError&) {
            return nullptr;
        }
        it = loaded.insert(key, Loaded{info.lastModified(), module});
    }
    if (it->module->info().progId.compare(progId, Qt::CaseInsensitive) != 0) return nullptr;
    return it->module;
}

}  // namespace platform::complus
