#include "panel/PanelEvents.h"

#include "kit/CaptionLabel.h"
#include "kit/Colors.h"
#include "state/ErrorLog.h"
#include "rules/StoreTag.h"
#include "platform/ComError.h"

namespace panel {
namespace {

enum class Mark { None, New, Removed };

// Red text on the normal background: a new name or a switch turned on is staged.
// Black text on a red background: a removal or a switch turned off is staged.
void mark(QWidget* w, Mark m) {
    kit::setBackColor(w, m == Mark::Removed ? kit::kRed : kit::kButtonFace);
    kit::setForeColor(w, m == Mark::New ? kit::kRed : kit::kBlack);
}

Mark markOf(const StagedRecipient& r) {
    return r.picked() ? Mark::New : r.removed() ? Mark::Removed : Mark::None;
}

}  // namespace

PanelControls panelControls(const InstallFormUi& ui) {
    return {ui.Check3, ui.Check4, ui.Check5, ui.Label3, ui.Label4, ui.Command3, ui.Command6, ui.Check1, ui.Check2};
}

void showStaging(const PanelModel& model, QPushButton* command1, QPushButton* command4) {
    command1->setText(model.anyStaged() ? QStringLiteral("Change") : QStringLiteral("Refresh"));
    command4->setEnabled(model.resetAvailable());
}

void browse(state::ErrorLog& log, const std::function<void()>& showPicker) {
    if (!showPicker) return;
    platform::ResumeNext run;
    if (!run(showPicker)) {
        log.logWithoutContext(run.number(), run.description());
        log.show();
    }
}

void Check3_Click(const PanelEditing& p) {
    if (p.model.busy()) return;
    const PanelControls& ui = p.c;
    if (ui.Check3->isChecked()) {
        // A pick dropped by the untick stays dropped: Browse picks anew.
        ui.Command3->setEnabled(true);
        return;
    }
    p.model.removeJournal();
    ui.Check5->setChecked(false);
    ui.Check5->setEnabled(false);
    // Unchecking "Forward to:" is a click of its own; a box that is already
    // unchecked does not change and so reports nothing.
    if (ui.Check4->isChecked()) {
        ui.Check4->setChecked(false);
        Check4_Click(p);
    }
    ui.Check4->setEnabled(false);
    ui.Command6->setEnabled(false);
    ui.Label4->setCaption(QString());
    ui.Command3->setEnabled(false);
    ui.Label3->setCaption(QString());
}

void Check4_Click(const PanelEditing& p) {
    if (p.model.busy()) return;
    const PanelControls& ui = p.c;
    if (ui.Check4->isChecked()) {
        ui.Command6->setEnabled(true);
        return;
    }
    p.model.removeForwarding();
    ui.Check5->setEnabled(false);
    ui.Command6->setEnabled(false);
    ui.Label4->setCaption(QString());
}

void Check5_Click(const PanelEditing& p) {
    if (p.model.busy()) return;
    p.model.setBoth(p.c.Check5->isChecked());
}

void Label3_Change(const PanelEditing& p) {
    if (p.model.busy()) return;
    // Forwarding needs a journal mailbox.
    if (!p.c.Label3->caption().isEmpty()) p.c.Check4->setEnabled(true);
}

void Label4_Change(const PanelEditing& p) {
    if (p.model.busy()) return;
    const PanelControls& ui = p.c;
    ui.Check5->setEnabled(!ui.Label4->caption().isEmpty());
    // A new or removed recipient always starts without "both"; the administrator
    // checks it again to keep it.
    ui.Check5->setChecked(false);
}

void pickJournalMailbox(PanelModel& model, const QString& name, const QString& dn) {
    model.pickJournal(name, dn);
    emit model.journalPicked();
}

void pickForwardingRecipient(PanelModel& model, const QString& name, const QString& text) {
    if (name.isEmpty())
        model.removeForwarding();
    else
        model.pickForwarding(name, text);
    emit model.forwardingPicked();
}



void showLoaded(const PanelEditing& p) {
    const PanelControls& ui = p.c;
    const ShownSettings& shown = p.model.shown();
    const auto plain = [](QWidget* w) {
        kit::setForeColor(w, kit::kBlack);
        kit::setBackColor(w, kit::kButtonFace);
    };
    ui.Label3->setCaption(shown.journalName);
    ui.Check3->setChecked(!shown.journalName.isEmpty());
    ui.Check4->setEnabled(!shown.journalName.isEmpty());
    plain(ui.Label3);
    ui.Label4->setCaption(shown.forwardingName);
    const bool forwarding = !rules::trimBlanks(shown.forwardingName).isEmpty();
    ui.Check4->setChecked(forwarding);
    ui.Check5->setEnabled(forwarding);
    plain(ui.Label4);
    plain(ui.Check5);
    ui.Check5->setChecked(shown.both);
    ui.Command3->setEnabled(ui.Check3->isChecked());
    ui.Command6->setEnabled(ui.Check4->isChecked());
    ui.Check1->setEnabled(!p.model.users().empty());
    ui.Check2->setEnabled(ui.Check1->isEnabled());
}

void showMarks(const PanelEditing& p) {
    mark(p.c.Label3, markOf(p.model.journal()));
    mark(p.c.Label4, markOf(p.model.forwarding()));
    const std::optional<bool>& both = p.model.both();
    mark(p.c.Check5, !both ? Mark::None : *both ? Mark::New : Mark::Removed);
}

void connectShown(const PanelEditing& p) {
    QObject::connect(&p.model, &PanelModel::shownChanged, p.c.Label3, [p] { showLoaded(p); });
    QObject::connect(&p.model, &PanelModel::changed, p.c.Label3, [p] { showMarks(p); });
}

void connectPanel(const PanelEditing& p, const PanelPickers& pickers, state::ErrorLog& log) {
    const PanelControls& ui = p.c;
    // clicked() reports the administrator's clicks only; values the program sets
    // with setChecked() do not arrive here.
    QObject::connect(ui.Check3, &QCheckBox::clicked, ui.Check3, [p] { Check3_Click(p); });
    QObject::connect(ui.Check4, &QCheckBox::clicked, ui.Check4, [p] { Check4_Click(p); });
    QObject::connect(ui.Check5, &QCheckBox::clicked, ui.Check5, [p] { Check5_Click(p); });
    QObject::connect(ui.Label3, &kit::CaptionLabel::captionChanged, ui.Label3, [p] { Label3_Change(p); });
    QObject::connect(ui.Label4, &kit::CaptionLabel::captionChanged, ui.Label4, [p] { Label4_Change(p); });
    // A pick is shown as a caption change, which marks it.
    QObject::connect(&p.model, &PanelModel::journalPicked, ui.Label3,
                     [p] { p.c.Label3->setCaption(p.model.journal().name); });
    QObject::connect(&p.model, &PanelModel::forwardingPicked, ui.Label4,
                     [p] { p.c.Label4->setCaption(p.model.forwarding().name); });
    QObject::connect(ui.Command3, &QPushButton::clicked, ui.Command3,
                     [&log, &pickers] { browse(log, pickers.showSelectMailbox); });
    QObject::connect(ui.Command6, &QPushButton::clicked, ui.Command6,
                     [&log, &pickers] { browse(log, pickers.showSelectRecipient); });
}

}  // namespace panel
