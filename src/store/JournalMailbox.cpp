#include "store/JournalMailbox.h"

#include "directory/Queries.h"
#include "platform/store/StoreUrl.h"
#include "rules/ObjectKind.h"

namespace store {

QString JournalMailbox::folderName() const { return publicFolder ? QString() : QStringLiteral("inbox"); }

JournalMailbox JournalMailbox::fromRow(const platform::directory::Row& row) {
    JournalMailbox m;
    auto text = [&](const char* name) {
        const QVariant v = row.value(QString::fromLatin1(name));
        if (v.isNull()) return QString();
        if (v.typeId() == QMetaType::QStringList) return v.toStringList().value(0);
        return v.toString();
    };
    m.mail = text("mail");
    m.alias = text("mailNickname");
    const qsizetype at = m.mail.lastIndexOf(QLatin1Char('@'));
    m.localPart = at >= 1 ? m.mail.left(at) : m.mail;
    m.publicFolder = rules::objectTypeFromFields(row.value(QStringLiteral("sAMAccountType")),
                                                 row.value(QStringLiteral("mAPIRecipient"))) == QLatin1String("pf");
    return m;
}

std::optional<JournalMailbox> resolveJournalMailbox(const RegistrationContext& ctx, const QString& dn,
                                                    bool requireMail) {
    std::optional<platform::directory::Row> row;
    if (ctx.lookupJournal) {
        row = ctx.lookupJournal(dn, requireMail);
    } else {
        if (!ctx.g.conAD)
            throw platform::ComError(platform::hr::NotOpen, QStringLiteral("The directory connection is not open"));
        auto rs = ctx.g.conAD->execute(directory::queries::journalMailbox(ctx.g.strLDAPRoot, dn, requireMail),
                                       platform::directory::PropertySet::None);
        if (!rs.eof()) {
            platform::directory::Row r;
            for (const char* name : {"mail", "mailNickname", "sAMAccountType", "mAPIRecipient"})
                r.set(QString::fromLatin1(name), rs.field(QString::fromLatin1(name)));
            row = r;
        }
    }
    if (!row) return std::nullopt;
    return JournalMailbox::fromRow(*row);
}

QStringList mailboxCandidates(const state::Globals& g, const JournalMailbox& mailbox) {
    QStringList out;
    for (const QString& name : {mailbox.alias, mailbox.localPart}) {
        if (name.isEmpty()) continue;
        const QString segment = QLatin1Char('/') + platform::store::encodeName(name);
        out << g.strHttpMailboxRoot + segment << g.strFileMailboxRoot + segment;
    }
    return out;
}

QString publicFolderRoot(const state::Globals& g) {
    QString root = g.strHttpMailboxRoot;
    return root.replace(QStringLiteral("/mbx"), QStringLiteral("/public folders"));
}

}  // namespace store
