#pragma once
// The exit codes of tavimorctl, and the error that ends a command with one.

#include <QString>
#include <exception>

namespace ctl {

enum Exit : int {
    kSuccess = 0,
    kWritesFailed = 1,  // some writes failed; each user not written is named on stderr
    kUsage = 2,         // the command line is wrong (also an unknown or ambiguous STORE)
    kUnreachable = 3,   // the directory could not be reached or read
    kRefused = 4,       // the command refused to write (a question it may not answer, a wrong server)
};

// Ends a command: `message` goes to stderr, `code` is the exit code.
class Error : public std::exception {
public:
    Error(int code, QString message) : code_(code), message_(std::move(message)) {}
    int code() const { return code_; }
    const QString& message() const { return message_; }
    const char* what() const noexcept override { return "tavimorctl error"; }

private:
    int code_;
    QString message_;
};

}  // namespace ctl
