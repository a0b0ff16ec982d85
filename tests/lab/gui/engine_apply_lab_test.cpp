// Change, through the whole window against the lab: the store's journal
// recipient, users' markers, the registration item of a shared journal mailbox,
// and the COM+ install. Every test puts the directory and the store back.
#include "app/CaptionLabel.h"
#include "app/Colors.h"
#include "app/InstallForm.h"
#include "app/Wiring.h"
#include "complus/ComPlus.h"
#include "directory/tree/Node.h"
#include "platform/directory/Directory.h"
#include "store/Registration.h"
#include "store/RegistrationContext.h"
#include "support/FakeProbes.h"
#include "tree_lab_form.h"
#include "users/ListItem.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

using namespace testing_support;

namespace {

const QString N(QChar(0));
const QString kJournal = QStringLiteral("msExchMessageJournalRecipient");
const QString kMarkers = QStringLiteral("extensionAttribute10");

std::optional<QString> valueAt(const QString& dn, const QString& attr) {
    const QStringList v = ldapsearchValues("(objectClass=*)", attr, dn);
    if (v.isEmpty()) return std::nullopt;
    return v.first();
}

void writeAt(const QString& dn, const QString& attr, const std::optional<QString>& value) {
    platform::directory::DirectoryObject o = platform::directory::DirectoryObject::bind("LDAP://" + dn);
    if (value)
        o.put(attr, *value);
    else
        o.putEx(platform::directory::DirectoryObject::ClearControl, attr);
    o.setInfo();
}

QString mailOf(const QString& alias) { return ldapsearchValues("(mailNickname=" + filterValue(alias) + ")", "mail").value(0); }

class ApplyLab : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_LAB();
        ASSERT_TRUE(catalogDir.isValid());
        savedCatalog = qgetenv("TAVIMOR_COMPLUS_CATALOG");
        qputenv("TAVIMOR_COMPLUS_CATALOG", catalogDir.filePath("catalog.db").toUtf8());
        const QString build = qEnvironmentVariable("TAVIMOR_BUILD_DIR");
        probes.computer = labEnv("LAB_EXCHANGE_SERVER");
        probes.storeRoot = QDir(labEnv("TAVIMOR_STORE_ROOT")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        probes.cwd = build;
        probes.files.insert(build + "/Tavimor.so");
        form = std::make_unique<app::InstallForm>(probes, prompt);
        app::wireSubsystems(*form);
    }
    void TearDown() override {
        if (form) {
            QString tag;
            store::RegistrationContext reg{form->globals(), form->errorLog(), [&] { return tag; },
                                           [&](const QString& t) { tag = t; }, {}};
            for (const QString& dn : registered) store::RemoveRegItem(reg, dn);
            form->Form_Unload();
        }
        for (const auto& [dn, attr, value] : originals)
            if (valueAt(dn, attr) != value) writeAt(dn, attr, value);
        qputenv("TAVIMOR_COMPLUS_CATALOG", savedCatalog);
    }

    // Remembers an attribute's value, to be put back after the test.
    void keep(const QString& dn, const QString& attr) { originals.push_back({dn, attr, valueAt(dn, attr)}); }

    void open() {
        form->Form_Load();
        form->Form_Activate();
    }
    app::InstallFormUi& ui() { return form->ui(); }

    // Loads a store into the panel as selecting it does.
    QTreeWidgetItem* select(const QString& group, const QString& name) {
        QTreeWidgetItem* found = nullptr;
        tree::forEachNode(ui().TreeView1, [&](QTreeWidgetItem* n) {
            if (tree::text(n) == name && n->parent() && tree::text(n->parent()) == group) found = n;
        });
        if (found && ui().TreeView1->currentItem() != found) ui().TreeView1->setCurrentItem(found);
        return found;
    }

    void stageLabel(app::CaptionLabel* label, const QString& caption) {
        label->setCaption(caption);
        app::setForeColor(label, caption.isEmpty() ? app::kBlack : app::kRed);
        app::setBackColor(label, caption.isEmpty() ? app::kRed : app::kButtonFace);
        form->globals().blnChangesPending = true;
    }
    void stageUser(const QString& mail, bool in, bool out) {
        QTreeWidgetItem* row = users::findItem(ui().ListView1, mail);
        ASSERT_NE(row, nullptr) << mail.toStdString();
        users::setSubItemImage(row, 1, in ? users::kChecked : users::kUnchecked);
        users::setSubItemImage(row, 2, out ? users::kChecked : users::kUnchecked);
        users::setItemForeColor(row, app::kRed);
        form->globals().blnChangesPending = true;
    }

    // Installs the hosted application in the test's catalog.
    void installApplication() {
        app::MemoryErrorLog log;
        app::Globals g;
        complus::ComPlus comPlus(log, g, probes);
        ASSERT_EQ(comPlus.InstallComPlusApp("Tavimor", "", "", ""), 1) << log.text().toStdString();
    }
    store::RegistrationContext registration(QString& tag) {
        return {form->globals(), form->errorLog(), [&tag] { return tag; }, [&tag](const QString& t) { tag = t; }, {}};
    }

    struct Original {
        QString dn, attr;
        std::optional<QString> value;
    };
    QTemporaryDir catalogDir;
    QByteArray savedCatalog;
    FakeProbes probes;
    app::ScriptedPrompt prompt;
    std::unique_ptr<app::InstallForm> form;
    QStringList registered;
    std::vector<Original> originals;
};

TEST_F(ApplyLab, AJournalMailboxIsWrittenToTheStoreAndRemovedAgain) {
    const QString storeName = "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")";
    const QString store = storeDn("First Storage Group", storeName);
    const QString archive = "CN=Journal Archive,OU=Journal," + labBase();
    keep(store, kJournal);
    ASSERT_EQ(valueAt(store, kJournal), std::nullopt);
    open();
    ASSERT_NE(select("First Storage Group", storeName), nullptr);
    ASSERT_EQ(ui().Frame1->title(), storeName + " - Journaling disabled");

    stageLabel(ui().Label3, "Journal Archive");
    ui().Text3->setText(archive);
    form->Command1_Click();
    EXPECT_EQ(valueAt(store, kJournal).value_or("").toLower(), archive.toLower());
    // the full refresh shows the store again, now journaled
    EXPECT_EQ(ui().Frame1->title(), storeName + " - Full journaling");
    EXPECT_EQ(ui().Label3->text(), "Journal Archive");
    EXPECT_EQ(ui().Command1->text(), "Refresh");
    EXPECT_FALSE(form->globals().blnChangesPending);

    stageLabel(ui().Label3, "");
    form->Command1_Click();
    EXPECT_EQ(valueAt(store, kJournal), std::nullopt);
    EXPECT_EQ(ui().Frame1->title(), storeName + " - Journaling disabled");
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(ui().txtErr->toPlainText(), "");
}

TEST_F(ApplyLab, StagedUsersGetTheirMarkersAndAnEmptyValueIsCleared) {
    const QString markerIn = userDn("marker.in");
    const QString freeText = userDn("marker.freetext");
    const QString untouched = userDn("marker.both");
    keep(markerIn, kMarkers);
    keep(freeText, kMarkers);
    open();
    ASSERT_NE(select("First Storage Group", "Mailbox Store (" + labEnv("LAB_EXCHANGE_SERVER") + ")"), nullptr);

    stageUser(mailOf("marker.in"), true, true);
    stageUser(mailOf("marker.freetext"), false, false);
    // a row switched without the staged colour is not written
    users::setSubItemImage(users::findItem(ui().ListView1, mailOf("marker.both")), 1, users::kChecked);
    form->Command1_Click();

    EXPECT_EQ(valueAt(markerIn, kMarkers), std::nullopt);
    EXPECT_EQ(valueAt(freeText, kMarkers), "free text###NoArcIn###NoArcOut");
    EXPECT_EQ(valueAt(untouched, kMarkers), "###NoArcIn###NoArcOut");
    // the reloaded list reads the new values
    QTreeWidgetItem* row = users::findItem(ui().ListView1, mailOf("marker.in"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(users::subItemImage(row, 1), users::kChecked);
    EXPECT_EQ(users::itemTag(row), "");
    EXPECT_EQ(users::itemForeColor(row), app::kBlack);
}

TEST_F(ApplyLab, ASharedJournalMailboxIsRebuiltOnlyOnYes) {
    installApplication();
    const QString shared = "CN=Shared Archive,OU=Journal," + labBase();
    registered << shared;
    open();
    ASSERT_TRUE(form->state().blnComPlusInstalled);
    QString tag;
    store::CreateRegItem(registration(tag), shared, "Forward Target <fwd.target@tavimor.lab>", true);
    ASSERT_TRUE(store::CheckRegItem(registration(tag), shared, false)) << form->errorLog().text().toStdString();
    const QString other = "Other Person <" + mailOf("o'brien") + ">";
    const QString sharedText =
        "This Journal Mailbox is used by another Mailbox Store.\rAre you sure you want to change it?";

    ASSERT_NE(select("Second Storage Group", "Shared Journal A"), nullptr);
    stageLabel(ui().Label4, "Other Person");
    ui().Text4->setText(other);
    prompt.answers = {app::mb::No};
    form->Command1_Click();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].text, sharedText);
    EXPECT_EQ(prompt.asked[0].style, 308);
    tag = shared;
    ASSERT_TRUE(store::CheckRegItem(registration(tag), shared, true));
    EXPECT_EQ(tag, shared + N + "Forward Target <fwd.target@tavimor.lab>" + N + "Both");

    ASSERT_NE(select("Second Storage Group", "Shared Journal A"), nullptr);
    stageLabel(ui().Label4, "Other Person");
    ui().Text4->setText(other);
    prompt.answers = {app::mb::Yes};
    form->Command1_Click();
    ASSERT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(prompt.asked[1].text, sharedText);
    tag = shared;
    ASSERT_TRUE(store::CheckRegItem(registration(tag), shared, true));
    EXPECT_EQ(tag, shared + N + other);
    // the other store of that mailbox now shows the new forwarding too
    QTreeWidgetItem* b = select("Second Storage Group", "Shared Journal B");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(tree::tag(b), shared + N + other);
    EXPECT_EQ(ui().Frame1->title(), "Shared Journal B - Tavimor");
}

TEST_F(ApplyLab, InstallingTheApplicationOnChange) {
    open();
    ASSERT_FALSE(form->state().blnComPlusInstalled);
    registered << "CN=Archive D'Arcy,OU=Journal," + labBase();
    ui().CheckRegCom->setChecked(true);
    ASSERT_EQ(app::foreColor(ui().CheckRegCom), app::kRed);
    ASSERT_TRUE(form->globals().blnChangesPending);
    form->Command1_Click();

    EXPECT_TRUE(form->state().blnComPlusInstalled);
    EXPECT_EQ(ui().Label8->text(), "COM+ object \"Tavimor\" is installed.");
    EXPECT_FALSE(ui().CheckRegCom->isChecked());
    EXPECT_EQ(app::foreColor(ui().CheckRegCom), app::kBlack);
    EXPECT_EQ(ui().txtErr->toPlainText(), "");
    app::MemoryErrorLog log;
    app::Globals g;
    QString identity;
    EXPECT_TRUE(complus::ComPlus(log, g, probes).CheckComPlusApp("Tavimor", identity));
}

}  // namespace
