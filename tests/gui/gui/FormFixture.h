#pragma once
// A main window with stand-in probes and subsystems: each test says what the COM+
// check answers, whether the sink library exists and what the store tree does.

#include "app/InstallForm.h"
#include "app/state/Prompt.h"
#include "platform/system/SystemProbes.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <memory>

namespace testing_gui {

struct FakeProbes : platform::system::SystemProbes {
    QString userName() override { return QStringLiteral("admin"); }
    bool versionInfo(platform::system::OsVersionInfo&) override { return false; }
    bool registryKeyExists(platform::system::RegistryRoot, const QString&) override { return false; }
    QString environment(const QString&) override { return {}; }
    QString computerName() override { return QStringLiteral("ex1"); }
    std::optional<QString> workstationLanGroup(const QString&) override { return {}; }
    QStringList listStoreRoot() override { return {}; }
    QString currentDirectory() override { return QStringLiteral("/opt/tavimor"); }
    bool fileExists(const QString& path) override {
        askedPath = path;
        return sinkPresent;
    }
    bool sinkPresent = false;
    QString askedPath;
};

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
            eventsDuringTree = f.globals().blnEventsEnabled;
            if (storeTreeFails) throw platform::ComError(platform::hr::ServerDown, QStringLiteral("down"));
        };
        h.proposeIdentity = [this](app::InstallForm&) {
            ++identityProposals;
            return QStringLiteral("LAB\\admin");
        };
    }
    void TearDown() override { app::setClockForTesting(nullptr); }

    // Each call of the clock answers one second later.
    void tickingClock() {
        auto t = std::make_shared<QDateTime>(QDateTime(QDate(2024, 3, 1), QTime(10, 0, 0)));
        app::setClockForTesting([t] {
            *t = t->addSecs(1);
            return *t;
        });
    }

    app::InstallFormUi& ui() { return form->ui(); }

    FakeProbes probes;
    app::ScriptedPrompt prompt;
    std::unique_ptr<app::InstallForm> form;
    bool comPlusInstalled = false;
    QString comPlusIdentity;
    bool storeTreeFails = false;
    int storeTreeBuilds = 0;
    int identityProposals = 0;
    bool eventsDuringTree = true;
};

}  // namespace testing_gui
