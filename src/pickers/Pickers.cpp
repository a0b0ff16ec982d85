#include "pickers/Pickers.h"

#include "pickers/SelectRecipient.h"
#include "platform/ComError.h"

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

void showSelectMailbox(engine::Context& ctx, AttributeWriter setAttributeByMail) {
    platform::ResumeNext run;
    run([&] {
        SelectMailbox dialog(ctx, mailboxMemory(), std::move(setAttributeByMail));
        dialog.exec();
    });
}

void showSelectRecipient(engine::Context& ctx) {
    platform::ResumeNext run;
    run([&] {
        SelectRecipient dialog(ctx, recipientMemory());
        openRecipient() = &dialog;
        dialog.exec();
    });
}

void closeSelectRecipient() {
    if (SelectRecipient* dialog = openRecipient().data(); dialog && !dialog->closed()) dialog->reject();
}

}  // namespace pickers
