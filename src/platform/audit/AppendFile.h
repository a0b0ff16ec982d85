#pragma once
// The files of the trail: lines appended to a regular file and read back. Files
// are opened without following a symbolic link at the last step and without
// blocking (a FIFO put in the file's place is refused, never waited on); one
// line goes out in one write, so lines of several programs never mix.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>

namespace platform::audit {

// Appends `line` and a line end to the file at `path`, created with mode 0600
// when missing. When `ownOnly`, the file must belong to this user. Answers ""
// when written, else the problem, naming the file.
QString appendLine(const QString& path, const QByteArray& line, bool ownOnly);

// Hands each line of the file at `path` to `take`. A missing file holds no
// lines. Answers false with `problem` set when the file cannot be read.
bool readLines(const QString& path, const std::function<void(QByteArrayView)>& take, QString* problem);

// Makes `folder` (and the folders above it that are missing) with mode 0700;
// the folder must then be a folder of this user's. Answers "" or the problem.
QString makePrivateFolder(const QString& folder);

}  // namespace platform::audit
