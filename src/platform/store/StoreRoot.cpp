#include "platform/store/StoreRoot.h"

#include "platform/store/StoreDatabase.h"
#include "platform/store/StoreErrors.h"
#include "platform/PrivateFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace platform::store {
namespace {
const char* kDatabaseName = "store.db";

bool usableFolderName(const QString& name) {
    return !name.trimmed().isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}
}  // namespace

QString storeRoot() {
    const QString env = qEnvironmentVariable("TAVIMOR_STORE_ROOT");
    return env.isEmpty() ? QStringLiteral("/var/lib/tavimor/backofficestorage") : env;
}

QStringList listStoreRoot() {
    return QDir(storeRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

void createStore(const QString& domainFolder) {
    if (!usableFolderName(domainFolder))
        err::raise(err::BadUrl, QStringLiteral("\"%1\" cannot name a domain folder").arg(domainFolder));
    QString dir = detail::domainDirectory(domainFolder);
    if (dir.isEmpty()) {
        dir = QDir(storeRoot()).filePath(domainFolder);
        // The store holds mail: its folders are the owner's alone.
        if (makePrivateFolders(dir) != 0)
            err::raise(err::StoreFailure, QStringLiteral("The folder %1 cannot be created").arg(dir));
    }
    detail::openDatabase(QDir(dir).filePath(QString::fromLatin1(kDatabaseName)), true);
}

namespace detail {

QString domainDirectory(const QString& domainFolder) {
    if (!usableFolderName(domainFolder)) return {};
    const QDir root(storeRoot());
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (name.compare(domainFolder, Qt::CaseInsensitive) == 0) return root.filePath(name);
    }
    return {};
}

std::shared_ptr<Database> openStore(const QString& domainFolder) {
    const QString dir = domainDirectory(domainFolder);
    const QString file = dir.isEmpty() ? QString() : QDir(dir).filePath(QString::fromLatin1(kDatabaseName));
    if (file.isEmpty() || !QFileInfo::exists(file))
        err::raise(err::StoreNotFound, QStringLiteral("There is no store for \"%1\"").arg(domainFolder));
    return openDatabase(file, false);
}

}  // namespace detail
}  // namespace platform::store
