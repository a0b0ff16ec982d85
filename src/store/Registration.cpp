#include "store/Registration.h"

#include "store/Items.h"
#include "store/JournalMailbox.h"
#include "store/JunkMail.h"
#include "store/StoreQueries.h"
#include "platform/store/StoreErrors.h"

namespace store {
namespace {
QString appName() { return QString::fromLatin1(state::kAppName); }
QString itemName() { return appName() + QStringLiteral(".reg"); }

// Failures that say the folder is not there, as opposed to a store that could not be read.
bool isAbsence(int32_t number) {
    namespace err = platform::store::err;
    return number == err::ItemNotFound || number == err::StoreNotFound || number == err::BadUrl;
}

// The journal mailbox, or nothing when the look-up fails or finds no object.
std::optional<JournalMailbox> resolve(const RegistrationContext& ctx, const QString& dn, bool requireMail) {
    std::optional<JournalMailbox> mailbox;
    platform::ResumeNext step;
    step([&] { mailbox = resolveJournalMailbox(ctx, dn, requireMail); });
    return mailbox;
}
}  // namespace

bool CheckRegItem(const RegistrationContext& ctx, const QString& strMbxDistinguishedName, bool blnRefreshTag) {
    const auto mailbox = resolve(ctx, strMbxDistinguishedName, true);
    if (!mailbox) return false;
    int16_t code = -1;
    if (mailbox->publicFolder) {
        const QString folder = GetPublicFolderURL(ctx, publicFolderRoot(ctx.g), mailbox->mail, false);
        code = FindRegItem(ctx, folder, QString(), itemName(), queries::hiddenItemCondition(), ctx.g.conExOLEDB,
                           blnRefreshTag);
    } else {
        for (const QString& base : mailboxCandidates(ctx.g, *mailbox)) {
            code = FindRegItem(ctx, base, mailbox->folderName(), itemName(), queries::hiddenItemCondition(),
                               ctx.g.conExOLEDB, blnRefreshTag);
            if (code != -1) break;  // the folder was reached: the answer stands
        }
    }
    return code > 0;
}

bool RegItemExists(const RegistrationContext& ctx, const QString& dn) {
    const auto mailbox = resolveJournalMailbox(ctx, dn, true);  // a failed look-up throws
    if (!mailbox) return false;
    platform::ResumeNext failure;
    int16_t code = -1;
    if (mailbox->publicFolder) {
        const QString folder = GetPublicFolderURL(ctx, publicFolderRoot(ctx.g), mailbox->mail, false);
        code = FindRegItem(ctx, folder, QString(), itemName(), queries::hiddenItemCondition(), ctx.g.conExOLEDB,
                           false, &failure);
    } else {
        for (const QString& base : mailboxCandidates(ctx.g, *mailbox)) {
            code = FindRegItem(ctx, base, mailbox->folderName(), itemName(), queries::hiddenItemCondition(),
                               ctx.g.conExOLEDB, false, &failure);
            if (code != -1) break;
        }
    }
    if (code == -1 && failure.number() != 0 && !isAbsence(failure.number()))
        throw platform::ComError(failure.number(), failure.description());
    return code > 0;
}

void RemoveRegItem(const RegistrationContext& ctx, const QString& strMbxDistinguishedName) {
    const auto mailbox = resolve(ctx, strMbxDistinguishedName, false);
    if (!mailbox) return;
    if (mailbox->publicFolder) {
        DeleteRegItem(GetPublicFolderURL(ctx, publicFolderRoot(ctx.g), mailbox->mail, false), QString(), itemName());
        return;
    }
    for (const QString& base : mailboxCandidates(ctx.g, *mailbox)) {
        if (DeleteRegItem(base, mailbox->folderName(), itemName())) break;
    }
}

void CreateRegItem(const RegistrationContext& ctx, const QString& strMbxDistinguishedName, const QString& sFWDAddress,
                   bool blnFWDAndSave) {
    const auto mailbox = resolve(ctx, strMbxDistinguishedName, true);
    if (!mailbox) return;
    auto write = [&](const QString& base, bool logFailure) {
        return WriteRegItem(ctx, base, mailbox->folderName(), appName(), QStringLiteral("onsyncsave"),
                            appName() + QStringLiteral(".TavimorCls"), QStringLiteral("SHALLOW"),
                            QStringLiteral(" WHERE \"DAV:ishidden\" = FALSE"), QStringLiteral("1"), logFailure,
                            sFWDAddress, blnFWDAndSave);
    };
    if (mailbox->publicFolder) {
        write(GetPublicFolderURL(ctx, publicFolderRoot(ctx.g), mailbox->mail, true), true);
        return;
    }
    const QStringList candidates = mailboxCandidates(ctx.g, *mailbox);
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const QString inbox = write(candidates[i], i == candidates.size() - 1);
        if (!inbox.isEmpty()) {
            JunkMailSettings(inbox);
            return;
        }
    }
}

}  // namespace store
