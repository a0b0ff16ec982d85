#include "pickers/Pickers.h"

#include "pickers/SelectRecipient.h"
#include "panel/Context.h"
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

AttributeWriter directoryWriter(engine::Context& ctx) {
    return [&ctx](const QString& address, const QString& attribute, const QVariant& value) {
        return users::SetAttributeByMail(ctx.prompt, ctx.g.strLDAPRoot, address, attribute, value);
    };
}

void showSelectMailbox(engine::Context& ctx, AttributeWriter setAttributeByMail) {
    if (!setAttributeByMail) setAttributeByMail = directoryWriter(ctx);
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
