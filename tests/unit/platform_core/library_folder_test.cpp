// The trust check of a library file.
#include "platform/system/LibraryFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::system;

namespace {

class TrustCheck : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString make(const QString& name, QFile::Permissions perms) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("library");
        f.close();
        EXPECT_TRUE(f.setPermissions(perms));
        return path;
    }
    static QString refusal(const QString& path) { return TrustedFile(path).refusal(); }

    QTemporaryDir dir;  // 0700 below the sticky /tmp
    const QFile::Permissions rw = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
};

}  // namespace

// Where the program looks for the library is shown end to end: in the build
// tree by ComPlusLab.ALibraryPlantedInTheWorkingFolderIsNeverLoaded, installed by
// the package test, which finds the library of the installed program.
TEST_F(TrustCheck, AcceptsAPrivateFileAndOpensTheFileItChecked) {
    const QString path = make("lib/Tavimor.so", rw);
    TrustedFile file(path);
    ASSERT_TRUE(file.ok()) << file.refusal().toStdString();
    // The descriptor stays on the checked file even when the path is swapped.
    ASSERT_TRUE(QFile::rename(path, dir.filePath("lib/old.so")));
    make("lib/Tavimor.so", rw);
    QFile opened(file.loadPath());
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(opened.readAll(), "library");
    // A link inside trusted folders is followed.
    ASSERT_TRUE(QFile::link(dir.filePath("lib/old.so"), dir.filePath("link.so")));
    EXPECT_TRUE(TrustedFile(dir.filePath("link.so")).ok());
}

TEST_F(TrustCheck, RefusesFilesOthersCouldChange) {
    EXPECT_TRUE(refusal(make("group.so", rw | QFile::WriteGroup)).contains("can be written by other users"));
    EXPECT_TRUE(refusal(make("other.so", rw | QFile::WriteOther)).contains("can be written by other users"));

    // A folder anyone may write (not sticky), directly or behind a link.
    const QString open = make("open/Tavimor.so", rw);
    ASSERT_EQ(::chmod(QFile::encodeName(dir.filePath("open")).constData(), 0777), 0);
    EXPECT_TRUE(refusal(open).contains("the folder " + dir.filePath("open") + " can be written"));
    ASSERT_TRUE(QFile::link(open, dir.filePath("via-link.so")));
    EXPECT_FALSE(TrustedFile(dir.filePath("via-link.so")).ok());
    ASSERT_TRUE(QFile::link(dir.filePath("open"), dir.filePath("open-link")));
    EXPECT_FALSE(TrustedFile(dir.filePath("open-link/Tavimor.so")).ok());
    EXPECT_FALSE(TrustedFile(dir.filePath("open-link/../open/Tavimor.so")).ok());

    // Relative paths, folders and missing files are never taken.
    EXPECT_TRUE(refusal("Tavimor.so").contains("not absolute"));
    EXPECT_TRUE(TrustedFile(dir.filePath("none.so")).missing());
    EXPECT_TRUE(TrustedFile(dir.path()).missing());
    EXPECT_FALSE(TrustedFile(dir.path()).ok());
}

TEST_F(TrustCheck, RefusesFilesAndFoldersOfOtherUsers) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give files away";
    const QString foreign = make("foreign.so", rw);
    ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
    EXPECT_TRUE(refusal(foreign).contains("belongs to another user"));
    const QString inForeignFolder = make("theirs/Tavimor.so", rw);
    ASSERT_EQ(::chown(QFile::encodeName(dir.filePath("theirs")).constData(), 65534, 65534), 0);
    EXPECT_TRUE(refusal(inForeignFolder).contains("belongs to another user"));
}
