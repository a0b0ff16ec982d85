#include "pickers/SelectRecipient.h"

#include "app/CaptionLabel.h"
#include "directory/Queries.h"
#include "directory/tree/Node.h"
#include "engine/Context.h"
#include "engine/StoreTag.h"
#include "platform/ComError.h"

#include <QLineEdit>
#include <QTreeWidget>

namespace pickers {
namespace {
enum Column { Name = 0, DistinguishedName = 1, Address = 2 };
}

SelectRecipient::SelectRecipient(engine::Context& ctx, PickerMemory& memory)
    : PickerDialog(ctx, memory, QStringLiteral("SelectRecipient"), QStringLiteral("Select Forwarding Recipient"),
                   {QStringLiteral("Name"), QStringLiteral("Distinguished Name"), QStringLiteral("E-mail address")}) {}

QString SelectRecipient::queryText() const { return directory::queries::forwardingCandidates(ctx_.g.strLDAPRoot); }

void SelectRecipient::beginRows() {
    // The selected store's journal mailbox: the journal field of its tag.
    journalDn_ = engine::trimBlanks(engine::journalPart(tree::tag(ctx_.ui.TreeView1->currentItem())));
}

std::optional<PickerRow> SelectRecipient::rowFor(const RecordFields& record) const {
    return recipientRow(record, journalDn_);
}

bool SelectRecipient::takeChoice(QTreeWidgetItem* item) {
    if (!item) return true;
    platform::ResumeNext run;
    const QString name = engine::trimBlanks(item->text(Name));
    run([&] { ctx_.ui.Label4->setCaption(name); });
    // With no name the label says the recipient is gone; an earlier choice left
    // in the forwarding text would otherwise still be applied.
    const QString text = name.isEmpty() ? QString() : nameWithAddress(name, engine::trimBlanks(item->text(Address)));
    run([&] { ctx_.ui.Text4->setText(text); });
    return true;
}

}  // namespace pickers
