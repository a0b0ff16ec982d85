#pragma once
// Folders of the program's own data (the Exchange store, the application
// catalog) are made on first use, readable by their owner only.

#include <QString>

namespace platform {

// Creates each missing folder of `dir`, outermost first, with mode 0700;
// folders that exist are left as they are. Answers 0, or the errno of the
// creation that failed.
int makePrivateFolders(const QString& dir);

}  // namespace platform
