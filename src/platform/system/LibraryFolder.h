#pragma once
// Where the program's own libraries live, and whether a library file may be
// trusted before it is recorded or loaded. Nothing is ever looked for in the
// working folder.

#include <QString>

namespace platform::system {

// The folder of the running executable ("" when the system does not say).
QString executableFolder();

// The program's library folder: the executable's folder when it holds
// `fileName` (a build tree), otherwise <executable folder>/../lib/<multiarch>/tavimor
// (the installed layout, /usr/lib/<multiarch>/tavimor beside /usr/bin/tavimor).
// An empty or relative executable folder gives /usr/lib/<multiarch>/tavimor.
QString libraryFolder(const QString& exeFolder, const QString& fileName);

// The file name of the event-sink library, which marks a build tree.
inline constexpr const char* kSinkLibraryFile = "Tavimor.so";
QString programLibraryFolder();

// A library file opened after the checks below. Its loadPath() names the open
// descriptor, whose link names the real path of the file that was checked.
//
// The file must be reached from "/" through folders owned by root or this user
// and writable by nobody else, except that a sticky folder (such as /tmp) may be
// writable by all when the entry taken from it is owned by root or this user.
// Symbolic links are followed only when they lie in such folders, and the folders
// they lead through are checked the same way. The file itself must be a regular
// file owned by root or this user and not writable by its group or by others.
class TrustedFile {
public:
    explicit TrustedFile(const QString& path);
    ~TrustedFile();
    TrustedFile(const TrustedFile&) = delete;
    TrustedFile& operator=(const TrustedFile&) = delete;

    bool ok() const { return fd_ >= 0; }
    // Why the file was refused ("" when ok), naming the offending path.
    const QString& refusal() const { return refusal_; }
    // The refusal is that no regular file stands at the path.
    bool missing() const { return missing_; }
    // A path the loader can open that denotes the checked file.
    QString loadPath() const;

private:
    int fd_ = -1;
    bool missing_ = false;
    QString refusal_;
};

}  // namespace platform::system
