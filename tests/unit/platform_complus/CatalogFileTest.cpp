// Where the catalog lives and who may read it.

#include "support/TempCatalog.h"
#include "support/Thrown.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::complus;
using testing_support::errorOf;
using testing_support::TempCatalog;

namespace {
mode_t modeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 0777;
}
}  // namespace

TEST(CatalogFile, IsCreatedOwnerOnlyInOwnerOnlyFolders) {
    TempCatalog t;
    const QString path = t.dir.filePath(QStringLiteral("a/b/catalog.db"));
    const mode_t callers = ::umask(0);  // the modes must not depend on the caller's umask
    {
        Catalog catalog(path);
        testing_support::addApp(catalog, QStringLiteral("Tavimor"));
    }
    ::umask(callers);
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(t.dir.filePath(QStringLiteral("a/b"))), 0700u);
    EXPECT_EQ(modeOf(t.dir.filePath(QStringLiteral("a"))), 0700u);
}

TEST(CatalogFile, AReadableExistingFileIsNarrowedAndALinkIsRefused) {
    TempCatalog t;
    const QString path = t.dir.filePath(QStringLiteral("catalog.db"));
    { Catalog first(path); }
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    { Catalog again(path); }
    EXPECT_EQ(modeOf(path), 0600u);

    const QString link = t.dir.filePath(QStringLiteral("link.db"));
    ASSERT_TRUE(QFile::link(path, link));
    EXPECT_NE(errorOf([&] { Catalog viaLink(link); }), 0);
}

TEST(CatalogFile, UnusableLocationsAreComErrors) {
    TempCatalog t;
    const QString file = t.dir.filePath(QStringLiteral("plain"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a catalog database, just text that is long enough to be read");
    f.close();
    EXPECT_EQ(errorOf([&] { Catalog c(file); }), platform::hr::Fail);
    EXPECT_NE(errorOf([&] { Catalog c(file + QStringLiteral("/sub/catalog.db")); }), 0);
    EXPECT_EQ(errorOf([&] { Catalog c{QString()}; }), platform::hr::InvalidArg);
    if (::geteuid() != 0) {
        const QString locked = t.dir.filePath(QStringLiteral("locked"));
        ASSERT_EQ(::mkdir(QFile::encodeName(locked).constData(), 0500), 0);
        EXPECT_EQ(errorOf([&] { Catalog c(locked + QStringLiteral("/catalog.db")); }), platform::hr::AccessDenied);
    }
}
