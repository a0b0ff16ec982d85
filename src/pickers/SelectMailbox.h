#pragma once
// "Select Journal Mailbox": the mail-enabled user accounts homed on this Exchange
// server, with the recipient each forwards to. A pick offers to remove the
// chosen user's forwarding rule, then puts the user's name and distinguished
// name into the main window's journal-mailbox fields.

#include "pickers/PickerDialog.h"

#include <QVariant>
#include <cstdint>
#include <functional>

namespace state { class Prompt; }

namespace pickers {

// Writes one attribute of the person with a mail address; a null value clears
// it. Answers 1 when done, -1 after reporting a denied write.
using AttributeWriter =
    std::function<int16_t(const QString& strEmailAddress, const QString& varAttrName, const QVariant& varAttrValue)>;

class SelectMailbox : public PickerDialog {
    Q_OBJECT
public:
    // `setAttributeByMail` clears a forwarding rule; without one none is cleared.
    SelectMailbox(const PickerTarget& target, PickerMemory& memory, state::Prompt& prompt,
                  AttributeWriter setAttributeByMail);

    static const QString kForwardingQuestion;

protected:
    QString queryText() const override;
    std::optional<PickerRow> rowFor(const RecordFields& record) const override;
    bool takeChoice(QTreeWidgetItem* item) override;

private:
    state::Prompt& prompt_;
    AttributeWriter setAttributeByMail_;
};

}  // namespace pickers
