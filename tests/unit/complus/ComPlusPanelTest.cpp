// The COM+ part of the refresh cycle: what the panel shows for each state.

#include "complus/ComPlusPanel.h"

#include <gtest/gtest.h>

using namespace complus;

namespace {

ComPlusFacts facts(bool installed, bool windows2000, bool libraryPresent) {
    ComPlusFacts f;
    f.installed = installed;
    f.identity = QStringLiteral("DOM\\svc");
    f.windows2000 = windows2000;
    f.libraryPresent = libraryPresent;
    f.currentDirectory = QStringLiteral("/opt/tav");
    f.stamp = QStringLiteral("1/2/03 4:05:06 PM");
    return f;
}

const QString kDisabled = QStringLiteral("Tavimor disabled globally. Install COM+ object to enable it.");
const QString kNotInstalled = QStringLiteral("COM+ object \"Tavimor\" is not installed.");

void expectAccountControlsHidden(const ComPlusPanel& p) {
    for (const ControlState* c : {&p.txtIdent, &p.txtPwd, &p.LabelIdentity, &p.LabelIdentityHelp, &p.LabelPassword})
        EXPECT_EQ(c->visible, false);
}

}  // namespace

TEST(ComPlusPanel, InstalledOutsideWindows2000HidesTheAccountAndSaysInstalled) {
    const ComPlusPanel p = decideComPlusPanel(facts(true, false, false), nullptr);
    EXPECT_TRUE(p.installed);
    EXPECT_EQ(p.statusText, QString());
    EXPECT_EQ(p.CheckRegCom.enabled, false);
    EXPECT_EQ(p.CheckUnRegCom.enabled, true);
    EXPECT_EQ(p.CheckUnRegCom.checked, false);
    expectAccountControlsHidden(p);
    EXPECT_EQ(p.Label8.visible, true);
    EXPECT_EQ(p.label8Caption, QStringLiteral("COM+ object \"Tavimor\" is installed."));
    EXPECT_FALSE(p.txtIdentText.has_value());
    EXPECT_TRUE(p.logEntry.isEmpty());  // the library is not looked for
}

TEST(ComPlusPanel, InstalledOnWindows2000ShowsTheAccountReadOnly) {
    const ComPlusPanel p = decideComPlusPanel(facts(true, true, false), [] { return QStringLiteral("unused"); });
    EXPECT_EQ(p.txtIdent.visible, true);
    EXPECT_EQ(p.txtIdent.enabled, false);
    EXPECT_EQ(p.txtIdentText, QStringLiteral("DOM\\svc"));
    EXPECT_EQ(p.LabelIdentityHelp.visible, false);
    EXPECT_EQ(p.txtPwd.visible, false);
    EXPECT_EQ(p.txtPwd.enabled, false);
    EXPECT_EQ(p.labelPasswordCaption, QStringLiteral("Password: ********"));
    EXPECT_EQ(p.Label8.visible, false);
    // The two labels keep what they had.
    EXPECT_FALSE(p.LabelIdentity.visible.has_value());
    EXPECT_FALSE(p.LabelPassword.visible.has_value());
    EXPECT_EQ(p.CheckUnRegCom.enabled, true);
}

TEST(ComPlusPanel, AbsentWithLibraryOffersTheInstall) {
    const ComPlusPanel xp = decideComPlusPanel(facts(false, false, true), [] {
        ADD_FAILURE() << "no proposal outside Windows 2000";
        return QString();
    });
    EXPECT_FALSE(xp.installed);
    EXPECT_EQ(xp.statusText, kDisabled);
    EXPECT_EQ(xp.CheckRegCom.enabled, true);
    EXPECT_EQ(xp.CheckUnRegCom.enabled, false);
    EXPECT_EQ(xp.CheckUnRegCom.checked, false);
    expectAccountControlsHidden(xp);
    EXPECT_EQ(xp.Label8.visible, true);
    EXPECT_EQ(xp.label8Caption, kNotInstalled);
    EXPECT_TRUE(xp.logEntry.isEmpty());

    const ComPlusPanel w2k = decideComPlusPanel(facts(false, true, true), [] { return QStringLiteral("DOM\\admin"); });
    EXPECT_EQ(w2k.txtIdentText, QStringLiteral("DOM\\admin"));
    for (const ControlState* c : {&w2k.txtIdent, &w2k.txtPwd}) {
        EXPECT_EQ(c->visible, true);
        EXPECT_EQ(c->enabled, true);
    }
    EXPECT_EQ(w2k.txtPwdText, QString());
    for (const ControlState* c : {&w2k.LabelIdentity, &w2k.LabelIdentityHelp, &w2k.LabelPassword})
        EXPECT_EQ(c->visible, true);
    EXPECT_EQ(w2k.labelPasswordCaption, QStringLiteral("Password:"));
    EXPECT_EQ(w2k.Label8.visible, false);

    // A failing proposal leaves the field as the administrator had it.
    const ComPlusPanel failed = decideComPlusPanel(facts(false, true, true), []() -> QString {
        throw std::runtime_error("directory down");
    });
    EXPECT_FALSE(failed.txtIdentText.has_value());
    EXPECT_EQ(failed.txtIdent.enabled, true);
}

TEST(ComPlusPanel, AbsentWithoutLibraryLogsTheMissingFileAndLocksTheInstall) {
    for (bool windows2000 : {false, true}) {
        SCOPED_TRACE(windows2000);
        const ComPlusPanel p = decideComPlusPanel(facts(false, windows2000, false), [] {
            ADD_FAILURE() << "no proposal without the library";
            return QString();
        });
        EXPECT_EQ(p.statusText, kDisabled);
        EXPECT_EQ(p.logEntry, QStringLiteral("[1/2/03 4:05:06 PM] File /opt/tav/Tavimor.so not found. "
                                             "COM+ object installation is impossible.\r\n\r\n"));
        EXPECT_EQ(p.CheckRegCom.enabled, false);
        EXPECT_EQ(p.CheckUnRegCom.enabled, false);
        EXPECT_EQ(p.CheckUnRegCom.checked, false);
        EXPECT_EQ(p.txtIdent.enabled, false);
        EXPECT_EQ(p.txtPwd.enabled, false);
        expectAccountControlsHidden(p);
        EXPECT_EQ(p.Label8.visible, !windows2000);
        if (windows2000)
            EXPECT_FALSE(p.label8Caption.has_value());
        else
            EXPECT_EQ(p.label8Caption, kNotInstalled);
    }
}
