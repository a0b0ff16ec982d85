#include "pickers/Pickers.h"

#include "pickers/SelectRecipient.h"
#include "state/Globals.h"
#include "platform/ComError.h"
#include "users/AttributeWriter.h"

#include <QPointer>

namespace pickers {
namespace {

PickerMemory& mailboxMemory() {
    static PickerMemory memory;
    return memory;
}

PickerMemory& recipientMemory() {
    static PickerMemory memory;
    return memory;
}

QPointer<SelectRecipient>& openRecipient() {
    static QPointer<SelectRecipient> dialog;
    return dialog;
}

}  // namespace

AttributeWriter directoryWriter(state::Prompt& prompt, const state::Globals& g) {
    return [&prompt, &g](const QString& address, const QString& attribute, const QVariant& value) {
        return users::SetAttributeByMail(prompt, g.strLDAPRoot, address, attribute, value);
    };
}

void showSelectMailbox(const PickerTarget& target, state::Prompt& prompt, AttributeWriter setAttributeByMail) {
    if (!setAttributeByMail) setAttributeByMail = directoryWriter(prompt, target.g);
    platform::ResumeNext run;
    run([&] {
        SelectMailbox dialog(target, mailboxMemory(), prompt, std::move(setAttributeByMail));
        dialog.exec();
    });
}

void showSelectRecipient(const PickerTarget& target) {
    platform::ResumeNext run;
    run([&] {
        SelectRecipient dialog(target, recipientMemory());
        openRecipient() = &dialog;
        dialog.exec();
    });
}

void closeSelectRecipient() {
    if (SelectRecipient* dialog = openRecipient().data(); dialog && !dialog->closed()) dialog->reject();
}

}  // namespace pickers
