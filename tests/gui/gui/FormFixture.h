#pragma once
// A main window with stand-in probes and subsystems: each test says what the COM+
// check answers, whether the sink library exists and what the store tree does.

#include "app/InstallForm.h"
#include "directory/tree/Node.h"
#include "state/Prompt.h"
#include "support/FakeProbes.h"

#include <gtest/gtest.h>
#include <memory>

namespace testing_gui {

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<app::InstallForm>(probes, prompt);
        auto& h = form->hooks();
        h.checkComPlusApp = [this](app::InstallForm&, QString& identity) {
            if (comPlusInstalled) identity = comPlusIdentity;
            return comPlusInstalled;
        };
        h.getMailboxStores = [this](app::InstallForm& f) {
            ++storeTreeBuilds;
            eventsDuringTree = !f.panel().busy();
            if (storeTreeFails) throw platform::ComError(platform::hr::ServerDown, QStringLiteral("down"));
        };
        h.proposeIdentity = [this](app::InstallForm&) {
            ++identityProposals;
            return QStringLiteral("LAB\\admin");
        };
    }

    panel::InstallFormUi& ui() { return form->ui(); }

    // A store node in the tree, selected and loaded into the panel model.
    QTreeWidgetItem* loadedStore() {
        QTreeWidgetItem* group = tree::addRoot(ui().TreeView1, "CN=SG", "SG", tree::kStorageGroupImage);
        QTreeWidgetItem* store = tree::addChild(group, "CN=Store", "Store", "mailboxstore");
        ui().TreeView1->setCurrentItem(store);
        form->panel().load("CN=Store", "Store", "");
        return store;
    }
    // The sink library beside the program, where the COM+ check looks for it.
    void sinkPresent() { probes.files.insert(QStringLiteral("/opt/tavimor/Tavimor.so")); }

    testing_support::FakeProbes probes;
    state::ScriptedPrompt prompt;
    std::unique_ptr<app::InstallForm> form;
    bool comPlusInstalled = false;
    QString comPlusIdentity;
    bool storeTreeFails = false;
    int storeTreeBuilds = 0;
    int identityProposals = 0;
    bool eventsDuringTree = true;
};

}  // namespace testing_gui
