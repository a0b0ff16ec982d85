#include "panel/PanelEvents.h"

#include "kit/CaptionLabel.h"
#include "kit/Colors.h"
#include "panel/Context.h"
#include "platform/ComError.h"

namespace engine {
namespace {

// Red text on the normal background: a new name or a switch turned on is staged.
void markNew(QWidget* w) {
    app::setBackColor(w, app::kButtonFace);
    app::setForeColor(w, app::kRed);
}

// Black text on a red background: a removal or a switch turned off is staged.
void markRemoved(QWidget* w) {
    app::setBackColor(w, app::kRed);
    app::setForeColor(w, app::kBlack);
}

// Runs a picker; a failure inside it is logged rather than leaving the window.
void showPicker(Context& ctx, const std::function<void()>& show) {
    if (!show) return;
    platform::ResumeNext run;
    if (!run(show)) {
        ctx.log.logWithoutContext(run.number(), run.description());
        ctx.log.show();
    }
}

}  // namespace

void markChangesPending(Context& ctx, bool enableReset) {
    ctx.g.blnChangesPending = true;
    ctx.ui.Command1->setText(QStringLiteral("Change"));
    if (enableReset) ctx.ui.Command4->setEnabled(true);
}

void Check3_Click(Context& ctx) {
    if (!ctx.g.blnEventsEnabled) return;
    app::InstallFormUi& ui = ctx.ui;
    if (ui.Check3->isChecked()) {
        // A pick dropped by the untick stays dropped: Browse picks anew.
        ui.Command3->setEnabled(true);
        return;
    }
    ctx.panel.removeJournal();
    quietly(ctx.g, [&] { ui.Check5->setChecked(false); });
    ui.Check5->setEnabled(false);
    // Unchecking "Forward to:" is a click of its own; a box that is already
    // unchecked does not change and so reports nothing.
    if (ui.Check4->isChecked()) {
        ui.Check4->setChecked(false);
        Check4_Click(ctx);
    }
    ui.Check4->setEnabled(false);
    ui.Command6->setEnabled(false);
    ui.Label4->setCaption(QString());
    ui.Command3->setEnabled(false);
    ui.Label3->setCaption(QString());
    markChangesPending(ctx);
}

void Check4_Click(Context& ctx) {
    if (!ctx.g.blnEventsEnabled) return;
    app::InstallFormUi& ui = ctx.ui;
    if (ui.Check4->isChecked()) {
        ui.Command6->setEnabled(true);
        return;
    }
    ctx.panel.removeForwarding();
    quietly(ctx.g, [&] {
        app::setForeColor(ui.Check5, app::kBlack);
        app::setBackColor(ui.Check5, app::kButtonFace);
        ui.Check5->setEnabled(false);
    });
    ui.Command6->setEnabled(false);
    ui.Label4->setCaption(QString());
    markChangesPending(ctx);
}

void Check5_Click(Context& ctx) {
    if (!ctx.g.blnEventsEnabled) return;
    // "Both" alone does not make Reset available.
    markChangesPending(ctx, false);
    ctx.panel.setBoth(ctx.ui.Check5->isChecked());
    if (ctx.ui.Check5->isChecked())
        markNew(ctx.ui.Check5);
    else
        markRemoved(ctx.ui.Check5);
}

void Label3_Change(Context& ctx) {
    if (!ctx.g.blnEventsEnabled) return;
    app::InstallFormUi& ui = ctx.ui;
    if (!ui.Label3->caption().isEmpty()) {
        markNew(ui.Label3);
        ui.Check4->setEnabled(true);  // forwarding needs a journal mailbox
    } else {
        markRemoved(ui.Label3);
    }
    markChangesPending(ctx);
}

void Label4_Change(Context& ctx) {
    if (!ctx.g.blnEventsEnabled) return;
    app::InstallFormUi& ui = ctx.ui;
    const bool named = !ui.Label4->caption().isEmpty();
    if (named)
        markNew(ui.Label4);
    else
        markRemoved(ui.Label4);
    ui.Check5->setEnabled(named);
    // A new or removed recipient always starts without "both"; the administrator
    // checks it again to keep it.
    quietly(ctx.g, [&] { ui.Check5->setChecked(false); });
    markChangesPending(ctx);
}

void pickJournalMailbox(Context& ctx, const QString& name, const QString& dn) {
    ctx.panel.pickJournal(name, dn);
    ctx.ui.Label3->setCaption(name);
    app::setBackColor(ctx.ui.Label3, app::kButtonFace);
}

void pickForwardingRecipient(Context& ctx, const QString& name, const QString& text) {
    if (name.isEmpty())
        ctx.panel.removeForwarding();
    else
        ctx.panel.pickForwarding(name, text);
    ctx.ui.Label4->setCaption(name);
}

void Command3_Click(Context& ctx) { showPicker(ctx, ctx.hooks.ShowSelectMailbox); }
void Command6_Click(Context& ctx) { showPicker(ctx, ctx.hooks.ShowSelectRecipient); }

void connectPanel(Context& ctx) {
    app::InstallFormUi& ui = ctx.ui;
    // clicked() reports the administrator's clicks only; values the program sets
    // with setChecked() do not arrive here.
    QObject::connect(ui.Check3, &QCheckBox::clicked, ui.Check3, [&ctx] { Check3_Click(ctx); });
    QObject::connect(ui.Check4, &QCheckBox::clicked, ui.Check4, [&ctx] { Check4_Click(ctx); });
    QObject::connect(ui.Check5, &QCheckBox::clicked, ui.Check5, [&ctx] { Check5_Click(ctx); });
    QObject::connect(ui.Label3, &app::CaptionLabel::captionChanged, ui.Label3, [&ctx] { Label3_Change(ctx); });
    QObject::connect(ui.Label4, &app::CaptionLabel::captionChanged, ui.Label4, [&ctx] { Label4_Change(ctx); });
    QObject::connect(ui.Command3, &QPushButton::clicked, ui.Command3, [&ctx] { Command3_Click(ctx); });
    QObject::connect(ui.Command6, &QPushButton::clicked, ui.Command6, [&ctx] { Command6_Click(ctx); });
}

}  // namespace engine
