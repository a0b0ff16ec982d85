#pragma once
// The password of a simple bind, read from the file TAVIMOR_BIND_PASSWORD_FILE
// names. The file must be the user's own: a regular file reached without a
// symbolic link, owned by the user, readable and writable by the owner alone,
// not empty and at most kMaxPasswordFileSize bytes. Anything else is refused
// with a message saying what is wrong, before a byte of it is read.

#include <QString>
#include <cstddef>

namespace platform::directory {

constexpr std::size_t kMaxPasswordFileSize = 4096;

// A password held only as long as one bind needs it: the bytes are wiped when
// the buffer goes, and it can be neither copied nor moved around.
class Secret {
public:
    Secret() = default;
    ~Secret();
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;

    const char* data() const { return bytes_; }
    std::size_t size() const { return size_; }

private:
    friend void readPasswordFile(const QString& path, Secret& into);
    char bytes_[kMaxPasswordFileSize + 1] = {};
    std::size_t size_ = 0;
};

// Fills `into` with the file's content less trailing line ends; throws
// ComError (access denied or file not found) when the file is refused.
void readPasswordFile(const QString& path, Secret& into);

}  // namespace platform::directory
