#pragma once
// The chooser of the organisation's Exchange servers: why it is shown, the
// servers in a list (the first selected), OK and Cancel. A double-click or Enter
// chooses; Escape or closing the window cancels.

#include "state/ServerChooser.h"

#include <QDialog>
#include <QPointer>

class QDialogButtonBox;
class QLabel;
class QListWidget;

namespace app {

class ServerChooserDialog : public QDialog {
    Q_OBJECT
public:
    ServerChooserDialog(const QStringList& servers, const QString& reason, QWidget* parent = nullptr);
    // The selected server ("" when none).
    QString selectedServer() const;

    QLabel* reasonLabel;
    QListWidget* serverList;
    QDialogButtonBox* buttons;

private:
    void fitRows(int count);
};

// Shows the dialog, modal over `parent`.
class DialogServerChooser : public state::ServerChooser {
public:
    explicit DialogServerChooser(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<QString> choose(const QStringList& servers, const QString& reason) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace app
