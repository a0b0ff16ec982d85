#pragma once
// The whole window against the lab, wired as the program runs it, with a COM+
// catalog of its own. Registration items listed in `registered` and attributes
// kept in `attributes` are put back after each test, whatever happened.

#include "app/InstallForm.h"
#include "app/Wiring.h"
#include "directory/tree/Node.h"
#include "store/Registration.h"
#include "store/RegistrationContext.h"
#include "support/FakeProbes.h"
#include "tree_lab_form.h"

#include <QDir>
#include <QTemporaryDir>

namespace testing_support {

inline const QString kJournalRecipient = QStringLiteral("msExchMessageJournalRecipient");

class WindowLabTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_LAB();
        ASSERT_TRUE(catalogDir.isValid());
        environment.set("TAVIMOR_COMPLUS_CATALOG", catalogDir.filePath("catalog.db").toUtf8());
        const QString build = qEnvironmentVariable("TAVIMOR_BUILD_DIR");
        probes.computer = labEnv("LAB_EXCHANGE_SERVER");
        probes.storeRoot = QDir(labEnv("TAVIMOR_STORE_ROOT")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        probes.libraryDir = build;
        probes.files.insert(build + "/Tavimor.so");
        form = std::make_unique<app::InstallForm>(probes, prompt);
        app::wireSubsystems(*form, server);
    }
    void TearDown() override {
        if (form) {
            QString tag;
            for (const QString& dn : registered) store::RemoveRegItem(registration(tag), dn);
            form->Form_Unload();
        }
        attributes.restore();
    }

    void open() {
        form->Form_Load();
        form->Form_Activate();
    }
    panel::InstallFormUi& ui() { return form->ui(); }
    QTreeWidgetItem* node(const QString& group, const QString& name) { return findNode(ui().TreeView1, group, name); }

    // The registration routines over the window's state, with `tag` as the selected store's tag.
    store::RegistrationContext registration(QString& tag) {
        return {form->globals(), form->errorLog(), [&tag] { return tag; }, [&tag](const QString& t) { tag = t; }, {}};
    }

    QTemporaryDir catalogDir;
    EnvScope environment;  // put back after the derived tests' own changes
    FakeProbes probes;
    state::ScriptedPrompt prompt;
    app::ServerSelection server;  // what --server and the chooser give; set before SetUp
    std::unique_ptr<app::InstallForm> form;
    QStringList registered;
    AttributeKeeper attributes;
};

}  // namespace testing_support
