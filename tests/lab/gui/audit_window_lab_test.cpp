// The audit trail of a Change in the window against the lab: the COM+
// installation, the store's journal recipient and the users' markers each
// leave an entry with before -> after and who signed in, read back through the
// audit command from TAVIMOR_AUDIT_FILE; no password gets into it.
#include "panel/PanelEvents.h"
#include "platform/audit/AuditCommand.h"
#include "window_lab.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

using AuditWindowLab = WindowLabTest;

TEST_F(AuditWindowLab, ChangeLeavesAnEntryForEachWriteWithBeforeAndAfter) {
    const QString storeName = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    const QString store = storeDn("First Storage Group", storeName);
    const QString archive = "CN=Journal Archive,OU=Journal," + labBase();
    attributes.keep(store, kJournalRecipient);
    attributes.keep(userDn("marker.freetext"), "extensionAttribute10");
    registered << archive;
    const QString trail = catalogDir.filePath("audit.jsonl");
    environment.set("TAVIMOR_AUDIT_FILE", trail.toUtf8());
    open();
    ui().TreeView1->setCurrentItem(node("First Storage Group", storeName));
    QCoreApplication::processEvents();  // the store is loaded, as a click loads it
    panel::PanelModel& panel = form->panel();
    const panel::UserRow* row = panel.user(mailOf("marker.freetext"));
    ASSERT_NE(row, nullptr);
    ASSERT_EQ(row->stored, "free text###NoArcOut");
    panel.setSwitch(static_cast<size_t>(row - panel.users().data()), 1, false);  // "Journal ingoing" off
    panel::pickJournalMailbox(panel, "Journal Archive", archive);
    ui().CheckRegCom->click();
    form->Command1_Click();
    ASSERT_EQ(ui().txtErr->toPlainText(), "");

    QString out, err;
    QTextStream o(&out), e(&err);
    ASSERT_EQ(platform::audit::auditCommand({"audit", "--json", "--since", "-1h"}, o, e), 0) << err.toStdString();
    o.flush();
    QHash<QString, QJsonObject> byAction;
    for (const QJsonValue v : QJsonDocument::fromJson(out.toUtf8()).array())
        byAction.insert(v["action"].toString() + ' ' + v["object"].toString(), v.toObject());
    const QJsonObject marker = byAction.value("marker " + mailOf("marker.freetext"));
    EXPECT_EQ(marker["before"].toString(), "free text###NoArcOut") << out.toStdString();
    EXPECT_EQ(marker["after"].toString() + marker["result"].toString(), "free text###NoArcIn###NoArcOutdone");
    EXPECT_EQ(marker["program"].toString(), "lab_gui");
    // the identity the directory answers "Who am I?" with for the bind
    EXPECT_TRUE(marker["who"].toString().contains("Administrator", Qt::CaseInsensitive)) << out.toStdString();
    const QJsonObject recipient = byAction.value("journal-recipient " + store);
    EXPECT_EQ(recipient["before"].toString(), "");
    EXPECT_EQ((recipient["after"].toString() + recipient["result"].toString()).toLower(), archive.toLower() + "done");
    const QJsonObject catalog = byAction.value("catalog Tavimor");
    EXPECT_EQ(catalog["before"].toString(), "absent");
    EXPECT_TRUE(catalog["after"].toString().startsWith("installed, library ")) << out.toStdString();

    QFile password(labEnv("TAVIMOR_BIND_PASSWORD_FILE")), kept(trail);
    ASSERT_TRUE(password.open(QIODevice::ReadOnly) && kept.open(QIODevice::ReadOnly));
    const QByteArray secret = password.readAll().trimmed();
    ASSERT_FALSE(secret.isEmpty());
    EXPECT_FALSE(kept.readAll().contains(secret));
}

}  // namespace
