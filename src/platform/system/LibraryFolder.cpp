#include "platform/system/LibraryFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <deque>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#ifndef TAVIMOR_LIBRARY_ARCH
#define TAVIMOR_LIBRARY_ARCH ""
#endif

namespace platform::system {

QString executableFolder() {
    const QString exe = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return exe.isEmpty() ? QString() : QFileInfo(exe).path();
}

QString libraryFolder(const QString& exeFolder, const QString& fileName) {
    const QString arch = QStringLiteral(TAVIMOR_LIBRARY_ARCH);
    const QString lib = arch.isEmpty() ? QStringLiteral("lib/tavimor") : QStringLiteral("lib/") + arch + QStringLiteral("/tavimor");
    // Without an absolute folder of our own, only the system's folder remains:
    // a relative one would be read against the working folder.
    if (!QDir::isAbsolutePath(exeFolder)) return QStringLiteral("/usr/") + lib;
    if (QFileInfo(QDir(exeFolder).filePath(fileName)).isFile()) return exeFolder;
    return QDir::cleanPath(exeFolder + QStringLiteral("/../") + lib);
}

QString programLibraryFolder() {
    return libraryFolder(executableFolder(), QString::fromLatin1(kSinkLibraryFile));
}

namespace {

constexpr int kMaxLinks = 40;

bool trustedOwner(uid_t owner) { return owner == 0 || owner == ::geteuid(); }
bool writableByOthers(mode_t mode) { return (mode & (S_IWGRP | S_IWOTH)) != 0; }

QString local(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& o) noexcept : fd_(o.release()) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            reset();
            fd_ = o.release();
        }
        return *this;
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// One folder on the way, held open so that it cannot be swapped while we walk.
struct Folder {
    Fd fd;
    std::string path;
    bool sharedSticky = false;  // writable by others, but only owners may rename
};

void pushComponents(std::deque<std::string>& rest, const std::string& path) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i <= path.size()) {
        const size_t slash = path.find('/', i);
        const size_t end = slash == std::string::npos ? path.size() : slash;
        if (end > i) parts.push_back(path.substr(i, end - i));
        i = end + 1;
    }
    for (auto it = parts.rbegin(); it != parts.rend(); ++it)
        if (*it != ".") rest.push_front(*it);
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

}  // namespace

TrustedFile::TrustedFile(const QString& path) {
    const std::string wanted = QFile::encodeName(path).toStdString();
    if (wanted.empty() || wanted.front() != '/') {
        refusal_ = QStringLiteral("the path \"%1\" is not absolute").arg(path);
        return;
    }
    // Returns false with refusal_ set when a folder may not be walked through.
    auto checkFolder = [&](const struct stat& st, const std::string& where, Folder& f) {
        if (!trustedOwner(st.st_uid)) {
            refusal_ = QStringLiteral("the folder %1 belongs to another user").arg(local(where));
            return false;
        }
        if (writableByOthers(st.st_mode)) {
            if (!(st.st_mode & S_ISVTX)) {
                refusal_ = QStringLiteral("the folder %1 can be written by other users").arg(local(where));
                return false;
            }
            f.sharedSticky = true;
        }
        return true;
    };

    std::vector<Folder> stack;
    auto openRoot = [&] {
        stack.clear();
        Folder root{Fd(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)), "/"};
        struct stat st {};
        if (root.fd.get() < 0 || ::fstat(root.fd.get(), &st) != 0) {
            refusal_ = QStringLiteral("the folder / cannot be opened");
            return false;
        }
        if (!checkFolder(st, "/", root)) return false;
        stack.push_back(std::move(root));
        return true;
    };
    if (!openRoot()) return;

    std::deque<std::string> rest;
    pushComponents(rest, wanted);
    int links = 0;
    while (!rest.empty()) {
        const std::string name = rest.front();
        rest.pop_front();
        if (name == "..") {
            if (stack.size() > 1) stack.pop_back();
            continue;
        }
        Folder& here = stack.back();
        const std::string where = joined(here.path, name);
        struct stat st {};
        if (::fstatat(here.fd.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            missing_ = errno == ENOENT;
            refusal_ = missing_ ? QStringLiteral("%1 does not exist").arg(local(where))
                                : QStringLiteral("%1 cannot be examined").arg(local(where));
            return;
        }
        if (here.sharedSticky && !trustedOwner(st.st_uid)) {
            refusal_ = QStringLiteral("%1 belongs to another user in a folder others can write").arg(local(where));
            return;
        }
        if (S_ISLNK(st.st_mode)) {
            if (++links > kMaxLinks) {
                refusal_ = QStringLiteral("too many symbolic links at %1").arg(local(where));
                return;
            }
            std::string target(4096, '\0');
            const ssize_t n = ::readlinkat(here.fd.get(), name.c_str(), target.data(), target.size());
            if (n <= 0 || static_cast<size_t>(n) >= target.size()) {
                refusal_ = QStringLiteral("the link %1 cannot be read").arg(local(where));
                return;
            }
            target.resize(static_cast<size_t>(n));
            if (target.front() == '/' && !openRoot()) return;
            pushComponents(rest, target);
            continue;
        }
        if (S_ISDIR(st.st_mode) && !rest.empty()) {
            Folder next{Fd(::openat(here.fd.get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)),
                        where};
            struct stat opened {};
            if (next.fd.get() < 0 || ::fstat(next.fd.get(), &opened) != 0 || opened.st_dev != st.st_dev ||
                opened.st_ino != st.st_ino) {
                refusal_ = QStringLiteral("the folder %1 cannot be opened").arg(local(where));
                return;
            }
            if (!checkFolder(opened, where, next)) return;
            stack.push_back(std::move(next));
            continue;
        }
        if (!rest.empty()) {
            missing_ = true;
            refusal_ = QStringLiteral("%1 is not a folder").arg(local(where));
            return;
        }
        if (!S_ISREG(st.st_mode)) {
            missing_ = true;  // no file of that name, only something else
            refusal_ = QStringLiteral("%1 is not a regular file").arg(local(where));
            return;
        }
        Fd file(::openat(here.fd.get(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        struct stat opened {};
        if (file.get() < 0 || ::fstat(file.get(), &opened) != 0 || opened.st_dev != st.st_dev ||
            opened.st_ino != st.st_ino) {
            refusal_ = QStringLiteral("%1 cannot be opened").arg(local(where));
            return;
        }
        if (!trustedOwner(opened.st_uid)) {
            refusal_ = QStringLiteral("%1 belongs to another user").arg(local(where));
            return;
        }
        if (writableByOthers(opened.st_mode)) {
            refusal_ = QStringLiteral("%1 can be written by other users").arg(local(where));
            return;
        }
        fd_ = file.release();
        return;
    }
    missing_ = true;
    refusal_ = QStringLiteral("the path \"%1\" names a folder").arg(path);
}

TrustedFile::~TrustedFile() {
    if (fd_ >= 0) ::close(fd_);
}

QString TrustedFile::loadPath() const {
    return fd_ < 0 ? QString() : QStringLiteral("/proc/self/fd/%1").arg(fd_);
}

}  // namespace platform::system
