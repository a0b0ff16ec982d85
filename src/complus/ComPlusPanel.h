#pragma once
// The COM+ part of the refresh cycle: from whether the application is installed,
// whether the sink library is present and whether the system is Windows 2000, the
// state of the identity, password and COM+ controls, the status text and the
// missing-library log entry. Plain values, so the window applies them.

#include "state/Forward.h"

#include <QString>
#include <functional>
#include <optional>

namespace complus {

// A control's new state; an empty field leaves that aspect as it is.
struct ControlState {
    std::optional<bool> visible;
    std::optional<bool> enabled;
    std::optional<bool> checked;
};

struct ComPlusPanel {
    bool installed = false;              // the answer for blnComPlusInstalled
    QString statusText;                  // the status bar's "text" panel
    ControlState txtIdent, txtPwd, LabelIdentity, LabelIdentityHelp, LabelPassword, Label8;
    ControlState CheckRegCom, CheckUnRegCom;
    std::optional<QString> txtIdentText;
    std::optional<QString> txtPwdText;
    std::optional<QString> labelPasswordCaption;
    std::optional<QString> label8Caption;
    QString logEntry;                    // to put in front of the error log ("" for none)
};

struct ComPlusFacts {
    bool installed = false;
    QString identity;                    // the application's identity when installed
    bool windows2000 = false;
    bool libraryPresent = false;
    QString libraryFolder;               // where the sink library is looked for
    QString stamp;                       // time stamp of a log entry
};

// `proposeIdentity` gives the account proposed for the identity field; it is
// called only on Windows 2000 with the application absent and the library
// present. When it fails the field keeps its text.
ComPlusPanel decideComPlusPanel(const ComPlusFacts& facts, const std::function<QString()>& proposeIdentity);

}  // namespace complus
