#include "ctl/CtlPrompt.h"

#include "engine/ChangePlan.h"

namespace ctl {

QString oneLine(const QString& text) {
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    return line.simplified();
}

int CtlPrompt::ask(const QString& text, int style, const QString&) {
    const int buttons = style & 0xf;
    if (text == QLatin1String(engine::kSharedJournalText)) {
        if (shared_) return *shared_ == Shared::Replace ? state::mb::Yes : state::mb::No;
        refusals_ << oneLine(text);
        return state::mb::No;
    }
    messages_ << oneLine(text);
    // Any other question is not answered: its "no" changes nothing.
    if (buttons == state::mb::YesNo) {
        refusals_ << oneLine(text);
        return state::mb::No;
    }
    if (buttons == state::mb::OkCancel) {
        refusals_ << oneLine(text);
        return state::mb::Cancel;
    }
    return state::mb::Ok;
}

}  // namespace ctl
