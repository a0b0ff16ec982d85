#include "users/UserList.h"

#include "directory/Queries.h"
#include "panel/PanelModel.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Progress.h"
#include "rules/StoreTag.h"
#include "platform/ComError.h"
#include "platform/directory/Directory.h"
#include "rules/Markers.h"

#include <QCoreApplication>
#include <QSet>
#include <optional>

namespace users {
namespace {

constexpr char kFillGeneration[] = "userListFill";
const QString kSystemMailboxPrefix = QStringLiteral("SystemMailbox{");
constexpr int32_t kAccountDisabled = 2;

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

// The query result, or nothing when it could not be run (logged).
std::optional<platform::directory::RecordSet> runQuery(const UserListFill& fill, const QString& homeMDB) {
    try {
        if (!fill.g.conAD || !fill.g.conAD->isOpen())
            throw platform::ComError(platform::hr::NotOpen, QStringLiteral("The directory connection is not open."));
        return fill.g.conAD->execute(directory::queries::usersWithMailboxes(fill.g.strLDAPRoot, homeMDB),
                                     platform::directory::PropertySet::B);
    } catch (const platform::ComError& e) {
        fill.log.logWithoutContext(e.number(), e.description());
    } catch (const std::exception& e) {
        fill.log.logWithoutContext(platform::hr::Fail, QString::fromUtf8(e.what()));
    }
    return std::nullopt;
}

}  // namespace

int16_t GetUsersWithMailboxes(const UserListFill& fill, const QString& strHomeMDB, const QString& journalDn,
                              bool blnRefreshList) {
    panel::PanelModel& model = fill.panel;
    model.clearUsers();
    const qulonglong generation = model.property(kFillGeneration).toULongLong() + 1;
    model.setProperty(kFillGeneration, generation);
    const auto overtaken = [&] { return model.property(kFillGeneration).toULongLong() != generation; };

    int16_t result = 0;

    std::optional<platform::directory::RecordSet> rs = runQuery(fill, strHomeMDB);
    if (rs && !rs->eof()) {
        fill.progress.begin(rs->recordCount());
        const QString journal = rules::journalPart(rules::trimBlanks(journalDn));
        QSet<QString> keys;
        // Rows are put into the model together when the read ends: inserting
        // them one by one while the window processes its messages would lay out
        // the whole list again for every row.
        std::vector<panel::UserRow> rows;
        // A read that fails on the way (the directory lost mid-list) is logged
        // and lists nobody: a part of the users would pass for all of them.
        bool failed = false;
        try {
            for (; !rs->eof(); rs->moveNext()) {
                fill.progress.step();
                if (overtaken()) break;
                try {
                    const QString alias = rs->text(QStringLiteral("mailNickName"));
                    if (alias.left(kSystemMailboxPrefix.size()).compare(kSystemMailboxPrefix, Qt::CaseInsensitive) == 0)
                        continue;
                    if (rs->text(QStringLiteral("distinguishedName")).compare(journal, Qt::CaseInsensitive) == 0)
                        continue;
                    const auto uac = static_cast<int32_t>(rs->text(QStringLiteral("userAccountControl")).toLongLong());
                    const QVariant mail = rs->field(QStringLiteral("mail"));
                    if (isNull(mail)) continue;
                    const QString address = rs->text(QStringLiteral("mail"));

                    if (!fill.form.blnNotFirstTime && fill.form.strLastSelectedItemKey.isEmpty() &&
                        address.compare(fill.form.strCurrentUserEmailAddress, Qt::CaseInsensitive) == 0)
                        fill.form.strLastSelectedItemKey = fill.form.strCurrentUserEmailAddress;

                    const QString lowered = address.toLower();
                    if (keys.contains(lowered)) continue;
                    keys.insert(lowered);

                    const QString value = rs->text(QStringLiteral("extensionAttribute10"));
                    const rules::Switches s = rules::readMarkers(value);
                    if (blnRefreshList)
                        rows.push_back({address, rs->text(QStringLiteral("name")), value, s, (uac & kAccountDisabled) != 0,
                                        false});
                    if (s.anyOff()) result = 1;
                    if (!blnRefreshList && result == 1) break;
                } catch (const platform::ComError&) {
                    // An unreadable record is left out; the others are listed.
                }
            }
        } catch (const platform::ComError& e) {
            fill.log.logWithoutContext(e.number(), e.description());
            failed = true;
        } catch (const std::exception& e) {
            fill.log.logWithoutContext(platform::hr::Fail, QString::fromUtf8(e.what()));
            failed = true;
        }
        if (!overtaken() && !failed) model.setUsers(std::move(rows));
        fill.progress.end();
    }

    if (!fill.form.strLastSelectedItemKey.isEmpty()) {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    return result;
}

}  // namespace users
