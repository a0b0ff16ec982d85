#include "pickers/SelectMailbox.h"

#include "state/Prompt.h"
#include "directory/Queries.h"
#include "state/Globals.h"
#include "engine/Directory.h"
#include "panel/PanelEvents.h"
#include "rules/StoreTag.h"
#include "platform/ComError.h"

#include <QTreeWidgetItem>

namespace pickers {
namespace {
enum Column { Name = 0, DistinguishedName = 1, Address = 2, ForwardTo = 3 };
}

const QString SelectMailbox::kForwardingQuestion =
    QStringLiteral("There exists a forwarding rule in the Delivery options of this user.\r"
                   "You should delete it to allow Tavimor application to function properly.\r"
                   "Delete the forwarding rule?");

SelectMailbox::SelectMailbox(const PickerTarget& target, PickerMemory& memory, state::Prompt& prompt,
                             AttributeWriter setAttributeByMail)
    : PickerDialog(target, memory, QStringLiteral("SelectMailbox"), QStringLiteral("Select Journal Mailbox"),
                   {QStringLiteral("Name"), QStringLiteral("Distinguished Name"), QStringLiteral("E-mail address"),
                    QStringLiteral("Forward To")}),
      prompt_(prompt),
      setAttributeByMail_(std::move(setAttributeByMail)) {}

QString SelectMailbox::queryText() const {
    return directory::queries::journalMailboxCandidates(target_.g.strLDAPRoot, target_.g.strResponsibleMTAServer);
}

std::optional<PickerRow> SelectMailbox::rowFor(const RecordFields& record) const {
    const QString root = target_.g.strLDAPRoot;
    return journalMailboxRow(record, [&root](const QString& dn, QString& mail) {
        return engine::GetNameByDN(root, dn, mail);
    });
}

bool SelectMailbox::takeChoice(QTreeWidgetItem* item) {
    if (!item) return true;
    platform::ResumeNext run;
    if (!rules::trimBlanks(item->text(ForwardTo)).isEmpty()) {
        int answer = state::mb::Cancel;
        run([&] {
            answer = prompt_.ask(kForwardingQuestion, state::mb::OkCancel | state::mb::Exclamation,
                                     QString::fromLatin1(state::kAppName));
        });
        if (answer != state::mb::Ok) return false;
        // A failed write is reported by the writer and does not stop the choice;
        // the recipient is only cleared once forwarding is switched off.
        const QString address = rules::trimBlanks(item->text(Address));
        if (!address.isEmpty() && setAttributeByMail_) {
            int16_t written = 0;
            run([&] { written = setAttributeByMail_(address, QStringLiteral("deliverAndRedirect"), QVariant(false)); });
            if (written == 1) run([&] { setAttributeByMail_(address, QStringLiteral("altRecipient"), QVariant()); });
        }
    }
    run([&] {
        panel::pickJournalMailbox(target_.panel, item->text(Name), item->text(DistinguishedName));
    });
    return true;
}

}  // namespace pickers
