#pragma once
// The pictures of the main window and the pickers, by key. ImageList2 holds, in
// this order: checked, checkeddisabled, unchecked, storagegroup, mailboxstore,
// mailboxstoreFullJournaling, mailboxstoreTavimor, user, usergray, userdisabled,
// userfwd, userfwdboth, group, contact. The pickers add "pf". ImageList1 holds the
// two sort arrows (index 0 ascending, 1 descending), 8 x 7 pixels.

#include <QIcon>
#include <QString>
#include <QStringList>

namespace kit::images {

const QStringList& imageList2Keys();
// The picture for a key; a null icon for an unknown key.
QIcon icon(const QString& key);
// Sort arrow: 0 ascending, 1 descending.
QIcon sortArrow(int index);

}  // namespace kit::images
