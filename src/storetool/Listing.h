#pragma once
// What `tavimor-store ls` and `show` print.

#include <QString>
#include <QStringList>

namespace platform::store {
class StoreConnection;
class StoreRecordset;
}  // namespace platform::store

namespace storetool {

// Opens the rows of the folder's items (shallow, in creation order) with the
// `columns` asked for, on `con`; refuses a URL that is no folder. Throws ComError.
void openFolderItems(platform::store::StoreRecordset& rows, platform::store::StoreConnection& con,
                     const QString& folderUrl, const QStringList& columns);

// One line per visible item of the folder, in creation order:
// name TAB content class TAB subject. Throws ComError.
QStringList listFolder(const QString& folderUrl);

// One line per property of the item, "name: value"; the MIME text of a message
// follows after a blank line. Throws ComError.
QStringList showItem(const QString& itemUrl);

// The item's MIME text exactly as stored ("" when it has none). Throws ComError.
QByteArray itemMime(const QString& itemUrl);

}  // namespace storetool
