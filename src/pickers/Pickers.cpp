#include "pickers/Pickers.h"

#include "pickers/SelectRecipient.h"
#include "state/Globals.h"
#include "platform/ComError.h"
#include "platform/audit/Trail.h"
#include "platform/directory/Directory.h"
#include "users/AttributeWriter.h"

#include <QDebug>
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
        platform::ResumeNext failure;
        const int16_t written = users::SetAttributeByMail(prompt, g.strLDAPRoot, address, attribute, value, &failure);
        // The audit trail; the rule is known only as the list showed it.
        platform::audit::Entry entry;
        entry.who = platform::directory::signedInAs(g.strLDAPRoot);
        entry.action = QString::fromLatin1(platform::audit::kForwardingRule);
        entry.object = address;
        entry.before = attribute + QStringLiteral(" not read");
        entry.after = attribute + u' ' + (value.isNull() ? QStringLiteral("cleared") : value.toString());
        entry.done = written == 1;
        entry.error = entry.done ? QString() : failure.description();
        if (const QString problem = platform::audit::record(entry); !problem.isEmpty())
            qWarning().noquote() << "The audit trail could not be kept:" << problem;
        return written;
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
