#include "app/ComPlusPanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace app {
namespace {

constexpr bool kShow = true, kHide = false, kOn = true, kOff = false;

QString stateCaption(const char* state) {
    return QStringLiteral("COM+ object \"Tavimor\" is %1.").arg(QLatin1String(state));
}

void hideIdentityControls(ComPlusPanel& p) {
    for (ControlState* c : {&p.txtIdent, &p.txtPwd, &p.labelIdentity, &p.labelIdentityHelp, &p.labelPassword})
        c->visible = kHide;
}

void apply(const ControlState& s, QWidget* w) {
    if (!w) return;
    if (s.enabled) w->setEnabled(*s.enabled);
    if (s.visible) w->setVisible(*s.visible);
}

}  // namespace

ComPlusPanel decideComPlusPanel(const ComPlusFacts& f) {
    ComPlusPanel p;
    p.unRegCom.enabled = kOff;
    if (f.installed) {
        p.regCom.enabled = kOff;
        p.unRegCom.enabled = kOn;
        if (!f.windows2000) {
            hideIdentityControls(p);
            p.label8 = {kShow, {}};
            p.label8Caption = stateCaption("installed");
        } else {
            p.txtIdent = {kShow, kOff};
            p.identity = f.identity;
            p.labelIdentityHelp.visible = kHide;
            p.txtPwd = {kHide, kOff};
            p.labelPasswordCaption = QStringLiteral("Password: ********");
            p.label8.visible = kHide;
        }
        return p;
    }

    p.statusText = QStringLiteral("Tavimor disabled globally. Install COM+ object to enable it.");
    if (f.sinkPresent) {
        p.regCom.enabled = kOn;
        if (!f.windows2000) {
            hideIdentityControls(p);
            p.label8 = {kShow, {}};
            p.label8Caption = stateCaption("not installed");
        } else {
            p.fillIdentityField = true;
            p.txtIdent = {kShow, kOn};
            p.clearPassword = true;
            p.txtPwd = {kShow, kOn};
            p.labelIdentity.visible = kShow;
            p.labelIdentityHelp.visible = kShow;
            p.labelPasswordCaption = QStringLiteral("Password:");
            p.labelPassword.visible = kShow;
            p.label8.visible = kHide;
        }
        return p;
    }

    p.reportMissingSink = true;
    p.regCom.enabled = kOff;
    p.txtIdent = {kHide, kOff};
    p.txtPwd = {kHide, kOff};
    p.labelIdentity.visible = kHide;
    p.labelIdentityHelp.visible = kHide;
    p.labelPassword.visible = kHide;
    if (!f.windows2000) {
        p.label8.visible = kShow;
        p.label8Caption = stateCaption("not installed");
    } else {
        p.label8.visible = kHide;
    }
    return p;
}

void applyComPlusPanel(const ComPlusPanel& p, InstallFormUi& ui) {
    apply(p.regCom, ui.CheckRegCom);
    if (ui.CheckUnRegCom) ui.CheckUnRegCom->setChecked(false);
    apply(p.unRegCom, ui.CheckUnRegCom);
    if (p.identity && ui.txtIdent) ui.txtIdent->setText(*p.identity);
    if (p.clearPassword && ui.txtPwd) ui.txtPwd->clear();
    apply(p.txtIdent, ui.txtIdent);
    apply(p.txtPwd, ui.txtPwd);
    apply(p.labelIdentity, ui.LabelIdentity);
    apply(p.labelIdentityHelp, ui.LabelIdentityHelp);
    if (p.labelPasswordCaption && ui.LabelPassword) ui.LabelPassword->setText(*p.labelPasswordCaption);
    apply(p.labelPassword, ui.LabelPassword);
    if (p.label8Caption && ui.Label8) ui.Label8->setText(*p.label8Caption);
    apply(p.label8, ui.Label8);
}

}  // namespace app
