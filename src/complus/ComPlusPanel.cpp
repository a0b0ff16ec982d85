#include "complus/ComPlusPanel.h"

#include "state/Globals.h"
#include "complus/SinkLibrary.h"

namespace complus {
namespace {

const QString kAppName = QString::fromLatin1(state::kAppName);

QString label8Text(const char* state) {
    return QStringLiteral("COM+ object \"") + kAppName + QStringLiteral("\" is ") + QLatin1String(state) +
           QLatin1Char('.');
}

QString missingLibraryEntry(const ComPlusFacts& f) {
    return QLatin1Char('[') + f.stamp + QStringLiteral("] File ") + sinkLibraryPath(f.libraryFolder, kAppName) +
           QStringLiteral(" not found. ") + QStringLiteral("COM+ object installation is impossible.") +
           QStringLiteral("\r\n\r\n");
}

constexpr ControlState hidden{false, std::nullopt, std::nullopt};
constexpr ControlState shown{true, std::nullopt, std::nullopt};
constexpr ControlState hiddenDisabled{false, false, std::nullopt};

// Outside Windows 2000 the application runs as a service: no account to show.
void hideAccountControls(ComPlusPanel& p) {
    p.txtIdent = p.txtPwd = p.LabelIdentity = p.LabelIdentityHelp = p.LabelPassword = hidden;
}

void decideInstalled(const ComPlusFacts& f, ComPlusPanel& p) {
    p.statusText = QString();
    p.CheckRegCom.enabled = false;
    p.CheckUnRegCom = {std::nullopt, true, false};
    if (!f.windows2000) {
        hideAccountControls(p);
        p.Label8 = shown;
        p.label8Caption = label8Text("installed");
        return;
    }
    p.txtIdent = {true, false, std::nullopt};
    p.txtIdentText = f.identity;
    p.LabelIdentityHelp = hidden;
    p.txtPwd = hiddenDisabled;
    p.labelPasswordCaption = QStringLiteral("Password: ********");
    p.Label8 = hidden;
}

void decideLibraryPresent(const ComPlusFacts& f, ComPlusPanel& p, const std::function<QString()>& propose) {
    p.CheckRegCom.enabled = true;
    p.CheckUnRegCom = {std::nullopt, false, false};
    if (!f.windows2000) {
        hideAccountControls(p);
        p.Label8 = shown;
        p.label8Caption = label8Text("not installed");
        return;
    }
    if (propose) {
        try {
            p.txtIdentText = propose();
        } catch (...) {
            // The proposal is only a default; the administrator types the account.
        }
    }
    p.txtIdent = {true, true, std::nullopt};
    p.txtPwd = {true, true, std::nullopt};
    p.txtPwdText = QString();
    p.LabelIdentity = p.LabelIdentityHelp = p.LabelPassword = shown;
    p.labelPasswordCaption = QStringLiteral("Password:");
    p.Label8 = hidden;
}

void decideLibraryAbsent(const ComPlusFacts& f, ComPlusPanel& p) {
    p.logEntry = missingLibraryEntry(f);
    p.CheckRegCom.enabled = false;
    p.CheckUnRegCom = {std::nullopt, false, false};
    p.txtIdent = p.txtPwd = hiddenDisabled;
    p.LabelIdentity = p.LabelIdentityHelp = p.LabelPassword = hidden;
    if (f.windows2000) {
        p.Label8 = hidden;
    } else {
        p.Label8 = shown;
        p.label8Caption = label8Text("not installed");
    }
}

}  // namespace

ComPlusPanel decideComPlusPanel(const ComPlusFacts& facts, const std::function<QString()>& proposeIdentity) {
    ComPlusPanel panel;
    panel.installed = facts.installed;
    if (facts.installed) {
        decideInstalled(facts, panel);
        return panel;
    }
    panel.statusText = kAppName + QStringLiteral(" disabled globally. Install COM+ object to enable it.");
    if (facts.libraryPresent)
        decideLibraryPresent(facts, panel, proposeIdentity);
    else
        decideLibraryAbsent(facts, panel);
    return panel;
}

}  // namespace complus
