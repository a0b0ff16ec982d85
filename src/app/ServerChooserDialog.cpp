#include "app/ServerChooserDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

ServerChooserDialog::ServerChooserDialog(const QStringList& servers, const QString& reason, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Tavimor - Choose an Exchange server"));
    // The window behind waits with an hourglass; the choice does not.
    setCursor(Qt::ArrowCursor);
    auto* layout = new QVBoxLayout(this);
    reasonLabel = new QLabel(reason + QStringLiteral("\n\nChoose the Exchange server to manage:"), this);
    reasonLabel->setWordWrap(true);
    reasonLabel->setTextFormat(Qt::PlainText);
    serverList = new QListWidget(this);
    serverList->addItems(servers);
    serverList->setCurrentRow(0);
    reasonLabel->setBuddy(serverList);
    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(reasonLabel);
    layout->addWidget(serverList, 1);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(serverList, &QListWidget::itemActivated, this, &QDialog::accept);
    // OK needs a server.
    const auto follow = [this] { buttons->button(QDialogButtonBox::Ok)->setEnabled(serverList->currentItem()); };
    connect(serverList, &QListWidget::currentItemChanged, this, follow);
    follow();
    resize(420, 300);
}

QString ServerChooserDialog::selectedServer() const {
    const QListWidgetItem* item = serverList->currentItem();
    return item ? item->text() : QString();
}

std::optional<QString> DialogServerChooser::choose(const QStringList& servers, const QString& reason) {
    ServerChooserDialog dialog(servers, reason, parent_);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedServer().isEmpty()) return std::nullopt;
    return dialog.selectedServer();
}

}  // namespace app
