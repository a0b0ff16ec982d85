// The window signed in with the user's Kerberos ticket (no bind DN, no password
// file), as an administrator runs it after kinit.

#include "app/InstallForm.h"
#include "platform/directory/Directory.h"
#include "window_lab.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using testing_support::labEnv;

namespace {

class KerberosWindowLab : public testing_support::WindowLabTest {
protected:
    void SetUp() override {
        WindowLabTest::SetUp();
        ASSERT_TRUE(cacheDir.isValid());
        passwordFile = labEnv("TAVIMOR_BIND_PASSWORD_FILE");
        for (const char* name : {"LDAPBINDDN", "TAVIMOR_BIND_PASSWORD_FILE", "KRB5CCNAME"}) {
            saved.emplace_back(name, qgetenv(name));
            qunsetenv(name);
        }
        qputenv("KRB5CCNAME", ("FILE:" + cacheDir.filePath("ccache")).toUtf8());
        platform::directory::resetConnectionCache();
    }
    void TearDown() override {
        WindowLabTest::TearDown();
        for (const auto& [name, value] : saved) value.isNull() ? qunsetenv(name) : qputenv(name, value);
        platform::directory::resetConnectionCache();
    }

    // `lab/lab kinit`, or kinit itself for a ticket that lives `lifetime` only.
    void getTicket(const QString& lifetime = QString()) {
        QProcess p;
        if (lifetime.isEmpty()) {
            p.start(TAVIMOR_SOURCE_DIR "/lab/lab", {"kinit"});
        } else {
            p.setStandardInputFile(passwordFile);
            p.start("kinit", {"-l", lifetime, "Administrator@" + labEnv("LAB_REALM")});
        }
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }

    QStringList errorLines() const {
        QStringList lines;
        for (const QString& line : form->errorLog().text().split("\r\n", Qt::SkipEmptyParts))
            if (line.contains("ERROR:")) lines << line;
        return lines;
    }

    QTemporaryDir cacheDir;
    QString passwordFile;
    std::vector<std::pair<const char*, QByteArray>> saved;
};

}  // namespace

TEST_F(KerberosWindowLab, TheTicketSignsInAndTheWindowFills) {
    getTicket();
    open();
    EXPECT_EQ(form->errorLog().text(), "");
    // The ticket's principal, mapped to its account, is the logged-on user.
    EXPECT_EQ(form->state().strCurrentUserEmailAddress.toLower(), "administrator@tavimor.lab");
    EXPECT_EQ(form->globals().strLDAPRoot, testing_support::labRoot());
    app::InstallFormUi& ui = form->ui();
    EXPECT_EQ(ui.TreeView1->topLevelItemCount(), 2);
    EXPECT_GT(ui.ListView1->topLevelItemCount(), 10);
}

TEST_F(KerberosWindowLab, AMissingOrExpiredTicketIsOneLineSayingWhatToRun) {
    open();
    QStringList lines = errorLines();
    ASSERT_EQ(lines.size(), 1) << form->errorLog().text().toStdString();
    EXPECT_TRUE(lines[0].contains("No Kerberos ticket for signing in to " + labEnv("LAB_DC_HOST")));
    EXPECT_TRUE(lines[0].contains("run: kinit <account>@" + labEnv("LAB_REALM")));
    EXPECT_TRUE(lines[0].contains("-2146893042"));  // no credentials, as a Windows client numbers it
    EXPECT_EQ(form->ui().TreeView1->topLevelItemCount(), 0);
    form->Form_Unload();
    form.reset();

    getTicket("2s");
    QThread::sleep(3);
    platform::directory::resetConnectionCache();
    form = std::make_unique<app::InstallForm>(probes, prompt);
    app::wireSubsystems(*form);
    open();
    lines = errorLines();
    ASSERT_EQ(lines.size(), 1) << form->errorLog().text().toStdString();
    EXPECT_TRUE(lines[0].contains("Kerberos ticket of Administrator@" + labEnv("LAB_REALM") + " has expired"));
    EXPECT_TRUE(lines[0].contains("run: kinit Administrator@" + labEnv("LAB_REALM")));
}
