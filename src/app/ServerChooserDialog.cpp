#include "app/ServerChooserDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

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
    serverList->setFocus();
    fitRows(static_cast<int>(servers.size()));
}

// The list as tall as its servers (3 to 12 rows), the dialog wide enough for the
// reason to wrap into a few lines; resizing the dialog grows the list.
void ServerChooserDialog::fitRows(int count) {
    const int row = std::max(serverList->sizeHintForRow(0), fontMetrics().height() + 2);
    const int frame = 2 * serverList->frameWidth();
    serverList->setFixedHeight(row * std::clamp(count, 3, 12) + frame);
    setMinimumWidth(420);
    adjustSize();
    serverList->setMinimumHeight(row * 3 + frame);
    serverList->setMaximumHeight(QWIDGETSIZE_MAX);
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
