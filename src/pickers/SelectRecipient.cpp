#include "pickers/SelectRecipient.h"

#include "directory/Queries.h"
#include "panel/PanelModel.h"
#include "state/Globals.h"
#include "panel/PanelEvents.h"
#include "rules/StoreTag.h"
#include "platform/ComError.h"

#include <QTreeWidget>

namespace pickers {
namespace {
enum Column { Name = 0, DistinguishedName = 1, Address = 2 };
}

SelectRecipient::SelectRecipient(const PickerTarget& target, PickerMemory& memory)
    : PickerDialog(target, memory, QStringLiteral("SelectRecipient"), QStringLiteral("Select Forwarding Recipient"),
                   {QStringLiteral("Name"), QStringLiteral("Distinguished Name"), QStringLiteral("E-mail address")}) {}

QString SelectRecipient::queryText() const { return directory::queries::forwardingCandidates(target_.g.strLDAPRoot); }

void SelectRecipient::beginRows() {
    // The loaded store's journal mailbox: the journal field of its tag.
    journalDn_ = rules::trimBlanks(rules::journalPart(target_.panel.store().tag));
}

std::optional<PickerRow> SelectRecipient::rowFor(const RecordFields& record) const {
    return recipientRow(record, journalDn_);
}

bool SelectRecipient::takeChoice(QTreeWidgetItem* item) {
    if (!item) return true;
    platform::ResumeNext run;
    const QString name = rules::trimBlanks(item->text(Name));
    // With no name the recipient is gone; an earlier choice is dropped with it.
    const QString text = name.isEmpty() ? QString() : nameWithAddress(name, rules::trimBlanks(item->text(Address)));
    run([&] { panel::pickForwardingRecipient(target_.panel, name, text); });
    return true;
}

}  // namespace pickers
