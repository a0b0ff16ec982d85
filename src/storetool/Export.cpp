#include "storetool/Export.h"

#include "journal/JournalReport.h"
#include "platform/store/Store.h"
#include "storetool/ExitStatus.h"
#include "storetool/Listing.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSet>
#include <QSysInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace storetool {

namespace ps = platform::store;

namespace {

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

[[noreturn]] void refuse(int status, const QString& why) { throw ExportFailure(status, why); }

// Closes a descriptor when it goes.
struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

// The export target must be what it claims, belong to this user (or root) and
// be writable by nobody else.
void checkTarget(int fd, const QString& path, bool directory) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) refuse(exits::IoError, QStringLiteral("%1: %2").arg(path, systemError()));
    if (directory ? !S_ISDIR(st.st_mode) : !S_ISREG(st.st_mode))
        refuse(exits::CantCreate, QStringLiteral("%1 is not a %2").arg(path, directory ? QStringLiteral("folder")
                                                                                      : QStringLiteral("regular file")));
    if (st.st_uid != ::geteuid() && st.st_uid != 0)
        refuse(exits::CantCreate, QStringLiteral("%1 belongs to another user").arg(path));
    if (st.st_mode & S_IWOTH) refuse(exits::CantCreate, QStringLiteral("%1 is writable by others").arg(path));
}

// Opens (making it when missing) a folder, never through a symbolic link.
int openFolder(int at, const QString& name, const QString& shown) {
    const QByteArray n = QFile::encodeName(name);
    if (::mkdirat(at, n.constData(), 0700) != 0 && errno != EEXIST)
        refuse(exits::CantCreate, QStringLiteral("%1 cannot be made: %2").arg(shown, systemError()));
    const int fd = ::openat(at, n.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        refuse(exits::CantCreate, errno == ELOOP || errno == ENOTDIR
                                      ? QStringLiteral("%1 is a symbolic link or no folder").arg(shown)
                                      : QStringLiteral("%1 cannot be opened: %2").arg(shown, systemError()));
    checkTarget(fd, shown, true);
    return fd;
}

void writeAll(int fd, const QByteArray& data, const QString& path) {
    for (qsizetype done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.constData() + done, static_cast<size_t>(data.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) refuse(exits::IoError, QStringLiteral("writing %1 failed: %2").arg(path, systemError()));
        done += n;
    }
}

QByteArray identity(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(32);
}

// Each visible message item of the folder that holds MIME text, in creation order.
void forEachReport(const QString& folderUrl, const std::function<void(const QByteArray&)>& take) {
    ps::StoreConnection con;
    ps::StoreRecordset rows;
    openFolderItems(rows, con, folderUrl, {ps::schema::kHref, ps::schema::kContentClass, ps::schema::kIsHidden});
    QStringList items;
    for (; !rows.eof(); rows.moveNext())
        if (rows.field(ps::schema::kContentClass).toString() == QLatin1String("urn:content-class:message") &&
            !rows.field(ps::schema::kIsHidden).toBool())
            items << rows.field(ps::schema::kHref).toString();
    rows.close();
    for (const QString& url : items) {
        ps::StoreRecord item;
        item.open(url, &con);
        if (!item.hasField(journal::kMimeProperty)) continue;
        const QString octets =
            item.hasField(journal::kMimeOctetsProperty) ? item.field(journal::kMimeOctetsProperty).toString() : QString();
        const QByteArray mime = journal::mimeBytes(item.field(journal::kMimeProperty).toString(), octets);
        if (!mime.isEmpty()) take(mime);
    }
}

// The identities of the Maildir's messages (new/ and cur/).
QSet<QByteArray> maildirIdentities(int folder) {
    QSet<QByteArray> out;
    DIR* d = ::fdopendir(::dup(folder));
    if (!d) return out;
    while (dirent* e = ::readdir(d)) {
        const QByteArray base = QByteArray(e->d_name).split(':').value(0);
        const QByteArray part = base.split('.').value(1);
        if (part.startsWith("tavimor_")) out.insert(part.mid(8));
    }
    ::closedir(d);
    return out;
}

QByteArray maildirHost() {
    QByteArray host = QSysInfo::machineHostName().toUtf8();
    return host.isEmpty() ? QByteArray("localhost") : host.replace("/", "\\057").replace(":", "\\072");
}

}  // namespace

ExportResult exportToMaildir(const QString& folderUrl, const QString& dir) {
    Fd root(openFolder(AT_FDCWD, dir, dir));
    Fd tmp(openFolder(root.fd, QStringLiteral("tmp"), dir + QStringLiteral("/tmp")));
    Fd fresh(openFolder(root.fd, QStringLiteral("new"), dir + QStringLiteral("/new")));
    Fd cur(openFolder(root.fd, QStringLiteral("cur"), dir + QStringLiteral("/cur")));
    QSet<QByteArray> known = maildirIdentities(fresh.fd) + maildirIdentities(cur.fd);
    const QByteArray host = maildirHost();
    ExportResult result;
    forEachReport(folderUrl, [&](const QByteArray& mime) {
        const QByteArray id = identity(mime);
        if (known.contains(id)) {
            ++result.present;
            return;
        }
        const QByteArray name = QByteArray::number(static_cast<qint64>(std::time(nullptr))) + ".tavimor_" + id + "." + host;
        const QString shown = dir + QStringLiteral("/tmp/") + QString::fromUtf8(name);
        {
            Fd file(::openat(tmp.fd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (file.fd < 0) refuse(exits::CantCreate, QStringLiteral("%1 cannot be made: %2").arg(shown, systemError()));
            try {
                writeAll(file.fd, mime, shown);
                if (::fsync(file.fd) != 0) refuse(exits::IoError, QStringLiteral("%1: %2").arg(shown, systemError()));
            } catch (...) {
                ::unlinkat(tmp.fd, name.constData(), 0);  // no half-written file stays in tmp/
                throw;
            }
        }
        const bool linked = ::linkat(tmp.fd, name.constData(), fresh.fd, name.constData(), 0) == 0;
        const int linkError = errno;
        ::unlinkat(tmp.fd, name.constData(), 0);
        if (!linked && linkError != EEXIST)
            refuse(exits::IoError, QStringLiteral("%1 cannot be moved to new/: %2").arg(shown, QString::fromLocal8Bit(std::strerror(linkError))));
        known.insert(id);
        ++(linked ? result.written : result.present);
    });
    if (::fsync(fresh.fd) != 0) refuse(exits::IoError, QStringLiteral("%1/new: %2").arg(dir, systemError()));
    return result;
}

namespace {

// The mboxrd form of a message: ">" before every line matching ">*From ", and
// a line break at the end.
QByteArray mboxrdBody(const QByteArray& mime) {
    QByteArray out;
    out.reserve(mime.size() + 64);
    qsizetype start = 0;
    while (start < mime.size()) {
        qsizetype end = mime.indexOf('\n', start);
        end = end < 0 ? mime.size() : end + 1;
        qsizetype i = start;
        while (i < end && mime[i] == '>') ++i;
        if (mime.mid(i, 5) == "From ") out += '>';
        out.append(mime.constData() + start, end - start);
        start = end;
    }
    if (!out.endsWith('\n')) out += '\n';
    return out;
}

// The identities of the messages already in an mbox file: each message is what
// stands between a "From " line (at the start or after an empty line) and the
// empty line before the next one (or the end).
QSet<QByteArray> mboxIdentities(int fd, const QString& path) {
    QFile in;
    if (!in.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle) || !in.seek(0))
        refuse(exits::IoError, QStringLiteral("%1 cannot be read: %2").arg(path, in.errorString()));
    QSet<QByteArray> out;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    bool inMessage = false, afterEmpty = true;
    auto finish = [&] {
        if (inMessage) out.insert(hash.result().toHex().left(32));
        hash.reset();
    };
    while (!in.atEnd()) {
        const QByteArray line = in.readLine();
        if (line.isEmpty() && in.error() != QFileDevice::NoError)
            refuse(exits::IoError, QStringLiteral("reading %1 failed: %2").arg(path, in.errorString()));
        if (afterEmpty && line.startsWith("From ")) {
            finish();
            inMessage = true;
            afterEmpty = false;
            continue;
        }
        if (afterEmpty && inMessage) hash.addData("\n");  // the empty line held back was the message's own
        afterEmpty = line == "\n";
        if (!afterEmpty) hash.addData(line);
    }
    finish();
    return out;
}

// Waits at most 10 seconds for the mbox's write lock.
void lockMbox(int fd, const QString& path) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    for (int i = 0; ::fcntl(fd, F_SETLK, &lock) != 0; ++i) {
        if ((errno != EACCES && errno != EAGAIN) || i == 100)
            refuse(exits::TempFail, QStringLiteral("%1 cannot be locked: %2").arg(path, systemError()));
        QThread::msleep(100);
    }
}

}  // namespace

ExportResult exportToMbox(const QString& folderUrl, const QString& file) {
    const QByteArray path = QFile::encodeName(file);
    // Non-blocking, so that a FIFO is refused rather than waited on.
    Fd mbox(::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    if (mbox.fd < 0)
        refuse(exits::CantCreate, errno == ELOOP ? QStringLiteral("%1 is a symbolic link").arg(file)
                                                 : QStringLiteral("%1 cannot be opened: %2").arg(file, systemError()));
    checkTarget(mbox.fd, file, false);
    ::fcntl(mbox.fd, F_SETFL, ::fcntl(mbox.fd, F_GETFL) & ~O_NONBLOCK);
    lockMbox(mbox.fd, file);
    QSet<QByteArray> known = mboxIdentities(mbox.fd, file);
    const off_t oldSize = ::lseek(mbox.fd, 0, SEEK_END);
    ExportResult result;
    try {
        // An mbox that does not end with an empty line gets one before the first new message.
        const off_t n = std::min<off_t>(oldSize, 2);
        QByteArray tail(n, '\0');
        if (n > 0 && ::pread(mbox.fd, tail.data(), n, oldSize - n) != n)
            refuse(exits::IoError, QStringLiteral("reading %1 failed: %2").arg(file, systemError()));
        QByteArray separator = oldSize == 0 || tail.endsWith("\n\n") ? QByteArray()
                               : tail.endsWith('\n')                 ? QByteArray("\n")
                                                                     : QByteArray("\n\n");
        forEachReport(folderUrl, [&](const QByteArray& mime) {
            const QByteArray body = mboxrdBody(mime);
            const QByteArray id = identity(body);
            if (known.contains(id)) {
                ++result.present;
                return;
            }
            char date[64] = {};
            const std::time_t now = std::time(nullptr);
            std::tm utc {};
            ::gmtime_r(&now, &utc);
            std::strftime(date, sizeof date, "%a %b %e %H:%M:%S %Y", &utc);
            writeAll(mbox.fd, separator + "From MAILER-DAEMON " + date + "\n" + body + "\n", file);
            separator.clear();
            known.insert(id);
            ++result.written;
        });
        if (::fsync(mbox.fd) != 0) refuse(exits::IoError, QStringLiteral("%1: %2").arg(file, systemError()));
    } catch (...) {
        // No half-written message stays behind.
        if (::ftruncate(mbox.fd, oldSize) != 0) {
        }
        throw;
    }
    return result;
}

}  // namespace storetool
