#include "panel/PanelModel.h"

namespace panel {
namespace {
void setSwitchOf(rules::Switches& s, int column, bool on) {
    if (column == 1) s.ingoing = on;
    if (column == 2) s.outgoing = on;
}
}  // namespace

bool PanelModel::isLoaded(const QString& dn) const {
    return loaded() && store_.dn.compare(dn, Qt::CaseInsensitive) == 0;
}

void PanelModel::load(const QString& dn, const QString& name, const QString& tag) {
    store_ = LoadedStore{dn, name, tag, QString()};
    shown_ = {};
    journal_ = {};
    forwarding_ = {};
    both_.reset();
    clearUsers();
    emit changed();
}

void PanelModel::show(const ShownSettings& shown) {
    shown_ = shown;
    emit shownChanged();
}

void PanelModel::unload() {
    load(QString(), QString(), QString());
    leaveStaged();
}

void PanelModel::leaveStaged() {
    journal_ = {};
    forwarding_ = {};
    both_.reset();
    installCom_ = false;
    uninstallCom_ = false;
    for (UserRow& row : users_) row.staged = false;
    emit allUsersChanged();
    emit changed();
}

void PanelModel::pickJournal(const QString& name, const QString& dn) {
    journal_ = {StagedRecipient::State::Picked, name, dn};
    emit changed();
}

void PanelModel::removeJournal() {
    journal_ = {StagedRecipient::State::Removed, QString(), QString()};
    removeForwarding();
}

void PanelModel::pickForwarding(const QString& name, const QString& text) {
    forwarding_ = {StagedRecipient::State::Picked, name, text};
    if (both_) both_ = false;
    emit changed();
}

void PanelModel::removeForwarding() {
    forwarding_ = {StagedRecipient::State::Removed, QString(), QString()};
    both_.reset();
    emit changed();
}

void PanelModel::setBoth(bool on) {
    both_ = on;
    emit changed();
}

void PanelModel::setInstallCom(bool staged) {
    installCom_ = staged;
    emit changed();
}

void PanelModel::setUninstallCom(bool staged) {
    uninstallCom_ = staged;
    emit changed();
}

void PanelModel::setUsers(std::vector<UserRow> rows) {
    users_ = std::move(rows);
    byMail_.clear();
    for (size_t i = 0; i < users_.size(); ++i) byMail_.insert(users_[i].mail.toLower(), i);
    emit usersReset();
    emit changed();
}

void PanelModel::clearUsers() {
    if (users_.empty()) return;
    users_.clear();
    byMail_.clear();
    emit usersReset();
}

const UserRow* PanelModel::user(const QString& mail) const {
    const auto it = byMail_.constFind(mail.toLower());
    return it == byMail_.constEnd() ? nullptr : &users_[*it];
}

void PanelModel::setSwitch(size_t index, int column, bool on) {
    if (index >= users_.size()) return;
    UserRow& row = users_[index];
    setSwitchOf(row.switches, column, on);
    row.staged = true;
    emit userChanged(static_cast<int>(index));
    emit changed();
}

void PanelModel::setAllSwitches(int column, bool on) {
    for (UserRow& row : users_) {
        setSwitchOf(row.switches, column, on);
        row.staged = true;
    }
    emit allUsersChanged();
    emit changed();
}

bool PanelModel::resetAvailable() const {
    if (journal_.staged() || forwarding_.staged()) return true;
    for (const UserRow& row : users_)
        if (row.staged) return true;
    return false;
}

bool PanelModel::anyStaged() const { return resetAvailable() || both_ || installCom_ || uninstallCom_; }

}  // namespace panel
