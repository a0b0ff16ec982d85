#include "panel/PanelModel.h"

namespace panel {
namespace {
void setSwitch(rules::Switches& s, int column, bool on) {
    if (column == 1) s.ingoing = on;
    if (column == 2) s.outgoing = on;
}
bool switchOf(const rules::Switches& s, int column) { return column == 1 ? s.ingoing : s.outgoing; }
}  // namespace

bool PanelModel::isLoaded(const QString& dn) const {
    return loaded() && store_.dn.compare(dn, Qt::CaseInsensitive) == 0;
}

void PanelModel::load(const QString& dn, const QString& name, const QString& tag) {
    store_ = LoadedStore{dn, name, tag, QString()};
    journal_ = {};
    forwarding_ = {};
    both_.reset();
    clearUsers();
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
}

void PanelModel::pickJournal(const QString& name, const QString& dn) {
    journal_ = {StagedRecipient::State::Picked, name, dn};
}

void PanelModel::removeJournal() {
    journal_ = {StagedRecipient::State::Removed, QString(), QString()};
    removeForwarding();
}

void PanelModel::pickForwarding(const QString& name, const QString& text) {
    forwarding_ = {StagedRecipient::State::Picked, name, text};
    if (both_) both_ = false;
}

void PanelModel::removeForwarding() {
    forwarding_ = {StagedRecipient::State::Removed, QString(), QString()};
    both_.reset();
}

void PanelModel::setUsers(std::vector<UserRow> rows) {
    users_ = std::move(rows);
    byMail_.clear();
    for (size_t i = 0; i < users_.size(); ++i) byMail_.insert(users_[i].mail.toLower(), i);
}

void PanelModel::clearUsers() {
    users_.clear();
    byMail_.clear();
}

const UserRow* PanelModel::user(const QString& mail) const {
    const auto it = byMail_.constFind(mail.toLower());
    return it == byMail_.constEnd() ? nullptr : &users_[*it];
}

const UserRow* PanelModel::toggleSwitch(const QString& mail, int column) {
    const auto it = byMail_.constFind(mail.toLower());
    if (it == byMail_.constEnd()) return nullptr;
    UserRow& row = users_[*it];
    setSwitch(row.switches, column, !switchOf(row.switches, column));
    row.staged = true;
    return &row;
}

void PanelModel::setAllSwitches(int column, bool on) {
    for (UserRow& row : users_) {
        setSwitch(row.switches, column, on);
        row.staged = true;
    }
}

bool PanelModel::anyStaged() const {
    if (journal_.staged() || forwarding_.staged() || both_ || installCom_ || uninstallCom_) return true;
    for (const UserRow& row : users_)
        if (row.staged) return true;
    return false;
}

}  // namespace panel
