#include "engine/Apply.h"

#include "app/CaptionLabel.h"
#include "app/Colors.h"
#include "app/MousePointer.h"
#include "complus/WindowsVersion.h"
#include "directory/tree/Node.h"
#include "engine/ApplyDecisions.h"
#include "engine/ApplyServices.h"
#include "engine/Context.h"
#include "engine/Directory.h"
#include "engine/StoreTag.h"
#include "platform/ComError.h"
#include "users/ListItem.h"

namespace engine {
namespace {

const QString kMarkerAttribute = QStringLiteral("extensionAttribute10");
constexpr int kSharedJournalStyle = app::mb::YesNo | app::mb::Exclamation | app::mb::DefaultButton2;  // 308

bool staged(const QWidget* w) { return isStagedColor(app::foreColor(w), app::backColor(w)); }
bool stagedComBox(const QCheckBox* box) { return box && isStagedComBox(box->isChecked(), app::foreColor(box)); }
QString textOf(const QLineEdit* edit) { return edit ? edit->text() : QString(); }

class Apply {
public:
    Apply(Context& ctx, const ApplyServices& services, QTreeWidgetItem* node)
        : ctx_(ctx), ui_(ctx.ui), s_(services), node_(node) {}

    bool run(int16_t& result) {
        if (stagedComBox(ui_.CheckRegCom)) {
            if (!credentialsComplete()) {
                ctx_.prompt.ask(QString::fromLatin1(kFillIdentityText), app::mb::Exclamation,
                                QString::fromLatin1(app::kAppName));
                app::setMousePointer(ui_.form, app::vbDefault);
                ctx_.g.blnEventsEnabled = true;
                result = -1;
                return false;
            }
            installComPlus(result);
        }
        if (stagedComBox(ui_.CheckUnRegCom)) resume_([&] { s_.RemoveComPlusApp(); });
        resume_([&] { ctx_.form.blnComPlusInstalled = s_.CheckComPlusApp(); });
        if (staged(ui_.Label3) || staged(ui_.Label4)) writeJournalRecipient();
        if (staged(ui_.Check5)) resume_([&] { tree::setTag(node_, withBoth(tree::tag(node_), ui_.Check5->isChecked())); });
        const UserCounts counts = writeUserMarkers();
        removeOldRegistration();
        rebuildRegistration(counts);
        return true;
    }

private:
    // On Windows 2000 the application runs under the typed account, so both fields
    // must be filled before anything is written.
    bool credentialsComplete() const {
        if (!complus::isWindows2000(ctx_.g.strWindowsVersion)) return true;
        return !trimBlanks(textOf(ui_.txtIdent)).isEmpty() && !trimBlanks(textOf(ui_.txtPwd)).isEmpty();
    }

    void installComPlus(int16_t& result) {
        QString identity;
        QString password;
        if (complus::isWindows2000(ctx_.g.strWindowsVersion)) {
            identity = textOf(ui_.txtIdent);
            password = textOf(ui_.txtPwd);
        }
        resume_([&] { s_.RemoveComPlusApp(); });
        resume_([&] { result = s_.InstallComPlusApp(identity, password); });
    }

    // The store's journal recipient; the tag follows only a write that succeeded.
    void writeJournalRecipient() {
        const QString chosenDn = trimBlanks(ui_.Text3->text());
        const JournalRecipientChange change = journalRecipientChange(chosenDn, staged(ui_.Label3));
        platform::ResumeNext write;
        if (!write([&] { s_.SaveJournalRecipient(tree::key(node_), change); })) return;
        oldTag_ = tree::tag(node_);
        tree::setTag(node_, rebuiltStoreTag(oldTag_, chosenDn, trimBlanks(ui_.Label3->caption()),
                                            trimBlanks(ui_.Text4->text())));
    }

    // Writes the markers of the staged rows and counts every listed user.
    UserCounts writeUserMarkers() {
        UserCounts counts;
        QTreeWidget* list = ui_.ListView1;
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list->topLevelItem(i);
            const users::Switches switches{!users::switchOff(item, 1), !users::switchOff(item, 2)};
            bool counted = true;
            if (users::itemForeColor(item) == app::kRed) {
                const QVariant value = markerValue(users::itemTag(item), switches);
                int16_t written = 0;
                resume_([&] { written = s_.SetAttribute(users::itemKey(item), kMarkerAttribute, value); });
                counted = written > 0;
            }
            if (!counted) continue;
            // A user counts by the switches, also when other text stays in the value.
            if (switches.anyOff())
                ++counts.marked;
            else
                ++counts.fullyJournaled;
        }
        return counts;
    }

    // The mailbox that journaled the store before loses its item when no store
    // names it any more.
    void removeOldRegistration() {
        if (oldTag_.isEmpty()) return;
        QString oldJournal = journalPart(oldTag_);
        bool exists = false;
        resume_([&] { exists = checkRegItem(ctx_, oldJournal, false); });
        if (exists && NoMoreSuchJournal(ui_.TreeView1, oldJournal, 1))
            resume_([&] { s_.RemoveRegItem(oldJournal); });
    }

    // The item of the current settings is removed and, when still needed, created
    // afresh. A journal mailbox that another store names is only touched when the
    // administrator agrees.
    void rebuildRegistration(const UserCounts& counts) {
        const QString tag = tree::tag(node_);
        if (tag.isEmpty()) return;
        const StoreTag parts = readStoreTag(tag);
        bool exists = false;
        resume_([&] { exists = checkRegItem(ctx_, parts.journal, false); });
        if (exists) {
            QString journal = parts.journal;
            if (NoMoreSuchJournal(ui_.TreeView1, journal, 2) || askSharedJournal()) {
                resume_([&] { s_.RemoveRegItem(parts.journal); });
                resume_([&] { exists = checkRegItem(ctx_, parts.journal, false); });
            }
        }
        if (shouldCreateRegItem(exists, ctx_.form.blnComPlusInstalled, ui_.ListView1->topLevelItemCount(),
                                counts.fullyJournaled, parts.forwarding))
            resume_([&] { s_.CreateRegItem(parts.journal, parts.forwarding, parts.both); });
    }

    bool askSharedJournal() {
        return ctx_.prompt.ask(QString::fromLatin1(kSharedJournalText), kSharedJournalStyle,
                               QString::fromLatin1(app::kAppName)) == app::mb::Yes;
    }

    Context& ctx_;
    app::InstallFormUi& ui_;
    const ApplyServices& s_;
    QTreeWidgetItem* node_;
    platform::ResumeNext resume_;
    QString oldTag_;
};

}  // namespace

bool ApplyStagedChanges(Context& ctx, const ApplyServices& services, QTreeWidgetItem* node, int16_t& result) {
    return Apply(ctx, services, node).run(result);
}

}  // namespace engine
