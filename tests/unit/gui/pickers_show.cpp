// A picker as the main window opens it: modal, activated once shown, and closed
// from outside by the window's Exit.
#include "engine_form.h"
#include "pickers/Pickers.h"
#include "pickers/SelectRecipient.h"

#include <QApplication>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace pickers;
using testing_support::EngineForm;

namespace {

// Runs `check` on the modal dialog once it is up, and closes every dialog after a
// few seconds, so that a dialog that never closes fails rather than hangs. The
// timers end with the driver.
struct ModalDriver {
    explicit ModalDriver(std::function<void(QWidget*)> check) {
        shown.setSingleShot(true);
        QObject::connect(&shown, &QTimer::timeout, [check] { check(QApplication::activeModalWidget()); });
        shown.start(100);
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [this] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                hung = true;
                d->reject();
            }
        });
        guard.start(5000);
    }
    QTimer shown, guard;
    bool hung = false;
};

}  // namespace

TEST(PickerShow, RecipientPickerIsModalActivatedAndClosedByExit) {
    EngineForm f;
    f.connectPanel();
    f.ui.Label4->setCaption("Kept");
    int columns = -1;
    QString name;
    ModalDriver driver([&](QWidget* w) {
        ASSERT_NE(w, nullptr);
        name = w->objectName();
        columns = w->findChild<QTreeWidget*>("ListView1")->columnCount();
        closeSelectRecipient();
    });
    showSelectRecipient(f.recipientTarget());
    EXPECT_FALSE(driver.hung);
    EXPECT_EQ(name, "SelectRecipient");
    EXPECT_EQ(columns, 3);
    EXPECT_EQ(f.ui.Label4->caption(), "Kept");
    EXPECT_TRUE(f.ui.TreeView1->isEnabled());
    closeSelectRecipient();  // nothing open: nothing happens
}
