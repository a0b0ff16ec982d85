// The window run from a computer that is no Exchange server: --server names the
// lab's server, or the chooser offers the organisation's servers; and the
// program's --help and --version, which need no display.
#include "window_lab.h"

#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>

using testing_support::labEnv;

namespace {
class ServerLab : public testing_support::WindowLabTest {
protected:
    void SetUp() override {
        server.chooser = &chooser;
        WindowLabTest::SetUp();
        probes.computer = "WS-ADMIN7";  // an administrator's workstation
    }
    void expectLabServerShown() {
        EXPECT_TRUE(form->windowTitle().startsWith("Tavimor - Exchange server " + labEnv("LAB_EXCHANGE_SERVER") + " "))
            << form->windowTitle().toStdString();
        EXPECT_NE(testing_support::findNode(ui().TreeView1, "Second Storage Group", "Journaled Store"), nullptr);
        EXPECT_EQ(form->globals().strHttpMailboxRoot.section('/', 2, 2), form->state().ComputerName);
    }
    state::ScriptedServerChooser chooser;
};

class NamedServerLab : public ServerLab {
    void SetUp() override {
        server.requested = labEnv("LAB_EXCHANGE_SERVER").toLower() + "." + labEnv("LAB_DNS_DOMAIN");
        ServerLab::SetUp();
    }
};
}  // namespace

TEST_F(NamedServerLab, TheNamedServerFillsTheTreeAndTheCaption) {
    open();
    expectLabServerShown();
    EXPECT_TRUE(chooser.offers.empty());
}

TEST_F(ServerLab, TheChooserOffersTheOrganisationsServersACancelSaysWhyAndAChoiceFillsTheTree) {
    open();
    ASSERT_EQ(chooser.offers.size(), 1u);
    QStringList expected = testing_support::ldapsearchValues("(objectClass=msExchExchangeServer)", "cn",
                                                             testing_support::configNc());
    std::sort(expected.begin(), expected.end(), [](auto& a, auto& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(chooser.offers[0].servers, expected);
    EXPECT_EQ(chooser.offers[0].reason, "This computer (ws-admin7) is not an Exchange server of the organisation.");
    EXPECT_EQ(ui().TreeView1->topLevelItemCount(), 0);
    EXPECT_EQ(form->windowTitle(), "Tavimor");
    EXPECT_TRUE(form->errorLog().text().contains("] ERROR: -2147016656 " + chooser.offers[0].reason +
                                                 " The organisation's Exchange servers: " + expected.join(", ")))
        << form->errorLog().text().toStdString();
    // Refresh offers them again.
    chooser.answer = labEnv("LAB_EXCHANGE_SERVER");
    form->Command1_Click();
    EXPECT_EQ(chooser.offers.size(), 2u);
    expectLabServerShown();
}

TEST(TavimorCommandLine, HelpAndVersionAnswerWithoutADisplay) {
    for (const char* option : {"--help", "--version"}) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
        p.setProcessEnvironment(env);
        p.start(qEnvironmentVariable("TAVIMOR_BUILD_DIR") + "/tavimor", {option});
        ASSERT_TRUE(p.waitForFinished(20000)) << option;
        EXPECT_EQ(p.exitCode(), 0) << option << p.readAllStandardError().toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().contains(option == QLatin1String("--help") ? "--server <NAME>" : "tavimor "));
    }
}
