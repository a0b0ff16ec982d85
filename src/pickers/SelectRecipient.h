#pragma once
// "Select Forwarding Recipient": every mail-enabled user, group, contact and
// public folder of the domain, except system mailboxes and the selected store's
// own journal mailbox. A pick puts the recipient's name and forwarding text
// (name + " <" + address + ">") into the main window's forwarding fields.

#include "pickers/PickerDialog.h"

namespace pickers {

class SelectRecipient : public PickerDialog {
    Q_OBJECT
public:
    SelectRecipient(const PickerTarget& target, PickerMemory& memory);

protected:
    QString queryText() const override;
    void beginRows() override;
    std::optional<PickerRow> rowFor(const RecordFields& record) const override;
    bool takeChoice(QTreeWidgetItem* item) override;

private:
    QString journalDn_;
};

}  // namespace pickers
