#include "app/ComPlusPanelView.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

namespace app {
namespace {

void apply(const complus::ControlState& s, QWidget* w) {
    if (!w) return;
    if (s.checked)
        if (auto* b = qobject_cast<QAbstractButton*>(w)) b->setChecked(*s.checked);
    if (s.enabled) w->setEnabled(*s.enabled);
    if (s.visible) w->setVisible(*s.visible);
}

}  // namespace

void applyComPlusPanel(const complus::ComPlusPanel& p, panel::InstallFormUi& ui) {
    apply(p.CheckRegCom, ui.CheckRegCom);
    apply(p.CheckUnRegCom, ui.CheckUnRegCom);
    if (p.txtIdentText) ui.txtIdent->setText(*p.txtIdentText);
    if (p.txtPwdText) ui.txtPwd->setText(*p.txtPwdText);
    apply(p.txtIdent, ui.txtIdent);
    apply(p.txtPwd, ui.txtPwd);
    apply(p.LabelIdentity, ui.LabelIdentity);
    apply(p.LabelIdentityHelp, ui.LabelIdentityHelp);
    if (p.labelPasswordCaption) ui.LabelPassword->setText(*p.labelPasswordCaption);
    apply(p.LabelPassword, ui.LabelPassword);
    if (p.label8Caption) ui.Label8->setText(*p.label8Caption);
    apply(p.Label8, ui.Label8);
}

}  // namespace app
