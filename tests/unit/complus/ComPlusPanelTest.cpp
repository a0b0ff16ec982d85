// The COM+ part of the refresh cycle: the panel decisions the window's own tests
// cannot show (controls left as they were, a failing proposal, the log entry).

#include "complus/ComPlusPanel.h"

#include <gtest/gtest.h>

using namespace complus;

namespace {

ComPlusFacts facts(bool installed, bool windows2000, bool libraryPresent) {
    return {installed, QStringLiteral("DOM\\svc"), windows2000, libraryPresent, QStringLiteral("/opt/tav"),
            QStringLiteral("1/2/03 4:05:06 PM")};
}

QString noProposal() {
    ADD_FAILURE() << "an account was proposed";
    return QString();
}

}  // namespace

TEST(ComPlusPanel, InstalledOnWindows2000KeepsTheTwoLabelsAsTheyWere) {
    const ComPlusPanel p = decideComPlusPanel(facts(true, true, false), noProposal);
    EXPECT_FALSE(p.LabelIdentity.visible.has_value());
    EXPECT_FALSE(p.LabelPassword.visible.has_value());
    EXPECT_TRUE(p.logEntry.isEmpty());  // the library is not looked for
}

TEST(ComPlusPanel, TheAccountIsProposedOnlyOnWindows2000AndAFailingProposalLeavesTheField) {
    EXPECT_FALSE(decideComPlusPanel(facts(false, false, true), noProposal).txtIdentText.has_value());
    const ComPlusPanel failed = decideComPlusPanel(facts(false, true, true), []() -> QString {
        throw std::runtime_error("directory down");
    });
    EXPECT_FALSE(failed.txtIdentText.has_value());
    EXPECT_EQ(failed.txtIdent.enabled, true);
}

// The status text and the locked boxes are the same outside Windows 2000, where
// the window's own test (RefreshTest) shows them on the controls.
TEST(ComPlusPanel, AbsentWithoutLibraryOnWindows2000LogsTheMissingFileAndLocksTheInstall) {
    const ComPlusPanel p = decideComPlusPanel(facts(false, true, false), noProposal);
    EXPECT_EQ(p.logEntry, QStringLiteral("[1/2/03 4:05:06 PM] File /opt/tav/Tavimor.so not found. "
                                         "COM+ object installation is impossible.\r\n\r\n"));
    EXPECT_EQ(p.CheckUnRegCom.checked, false);
    for (const ControlState* c : {&p.txtIdent, &p.txtPwd, &p.LabelIdentity, &p.LabelIdentityHelp, &p.LabelPassword, &p.Label8})
        EXPECT_EQ(c->visible, false);
    EXPECT_FALSE(p.label8Caption.has_value());
}
