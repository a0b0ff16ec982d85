#pragma once
// The message a mail transfer agent hands the tool on standard input, read
// bounded: at most `maxSize` bytes are kept; a longer message is read on (up to
// 1 GiB, to learn its size and let the sender finish) and only its start kept.

#include <QByteArray>
#include <QString>
#include <cstdio>

namespace storetool {

struct InputMessage {
    int status = 0;          // ExitStatus.h: Ok, NoInput (nothing came), DataError (no message), IoError
    QString problem;         // why not Ok
    QByteArray data;         // the message, or its first maxSize bytes
    qint64 size = 0;         // the bytes read in all
    bool truncated = false;  // larger than maxSize
};

InputMessage readMessage(std::FILE* in, qint64 maxSize);

// Whether `data` begins as an RFC 5322 message does: with a header field.
bool startsWithHeaderField(const QByteArray& data);

}  // namespace storetool
