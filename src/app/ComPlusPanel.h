#pragma once
// The COM+ part of a refresh: from the answer of the catalog check, the presence
// of the sink library and the system version, what the status bar says and how
// the install/uninstall boxes and the identity fields are shown.

#include "app/InstallFormUi.h"

#include <QString>
#include <optional>

namespace app {

// Visibility and enabled state of one control; an empty value leaves it as it is.
struct ControlState {
    std::optional<bool> visible;
    std::optional<bool> enabled;
};

struct ComPlusPanel {
    QString statusText;
    bool reportMissingSink = false;   // put the missing-library entry in the log
    bool fillIdentityField = false;   // propose an account in txtIdent
    std::optional<QString> identity;  // txtIdent text (the installed application's account)
    bool clearPassword = false;
    ControlState regCom, unRegCom;    // CheckUnRegCom is always unchecked
    ControlState txtIdent, txtPwd, labelIdentity, labelIdentityHelp, labelPassword, label8;
    std::optional<QString> labelPasswordCaption;
    std::optional<QString> label8Caption;
};

struct ComPlusFacts {
    bool installed = false;
    QString identity;        // account of the installed application
    bool sinkPresent = false;
    bool windows2000 = false;
};

// The decision for a refresh.
ComPlusPanel decideComPlusPanel(const ComPlusFacts& facts);

// Applies a decision to the window's controls (the log entry and the identity
// proposal are the caller's).
void applyComPlusPanel(const ComPlusPanel& panel, InstallFormUi& ui);

}  // namespace app
