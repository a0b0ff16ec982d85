#pragma once
// The test window wired to the lab: directory connection and base, the Exchange
// server's name as start-up finds it, and a registration-item check answered from
// a table (the store's registration items are not what these tests are about).

#include "platform/directory/Directory.h"
#include "support/Lab.h"
#include "unit/gui/engine_form.h"

#include <QHash>
#include <memory>

namespace testing_support {

struct LabForm : EngineForm {
    LabForm() {
        g.strLDAPRoot = labRoot();
        g.conAD = std::make_shared<platform::directory::DirectoryConnection>();
        g.conAD->open();
        state.ComputerName = labEnv("LAB_EXCHANGE_SERVER").toLower() + "." + labEnv("LAB_DNS_DOMAIN");
        ctx.hooks.CheckRegItem = [this](const QString& dn, bool refresh) {
            const auto it = regItems.constFind(dn.toLower());
            if (it == regItems.constEnd()) return false;
            if (refresh) {
                QTreeWidgetItem* node = ui.TreeView1->currentItem();
                tree::setTag(node, tree::tag(node).section(QChar(0), 0, 0) + *it);
            }
            return true;
        };
    }
    // journal mailbox DN (lower case) -> the tag tail its registration item gives
    QHash<QString, QString> regItems;
};

// A value written literally into an ldapsearch filter.
inline QString filterValue(QString v) {
    v.replace("\\", "\\5c").replace("*", "\\2a").replace("(", "\\28").replace(")", "\\29");
    return v;
}

// Distinguished name of the mailbox store with that name in the storage group
// with that name.
inline QString storeDn(const QString& group, const QString& store) {
    for (const QString& dn : ldapsearchValues("(&(objectClass=msExchPrivateMDB)(cn=" + filterValue(store) + "))",
                                              "distinguishedName", configNc()))
        if (dn.contains("CN=" + group + ",", Qt::CaseInsensitive)) return dn;
    return {};
}

inline QString userDn(const QString& alias) {
    return ldapsearchValues("(mailNickname=" + filterValue(alias) + ")", "distinguishedName").value(0);
}

}  // namespace testing_support
