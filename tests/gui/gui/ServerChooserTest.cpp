// The server chooser's dialog: the first server offered is selected, a double-click
// or OK chooses the selected one, and OK needs a selection.
#include "app/ServerChooserDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(ServerChooserDialog, OffersTheServersWithTheReasonAndAnActivatedRowIsChosen) {
    app::ServerChooserDialog dialog({"EVS01", "VM"}, "This computer (ws7) is no server.");
    EXPECT_TRUE(dialog.reasonLabel->text().startsWith("This computer (ws7) is no server."));
    EXPECT_EQ(dialog.selectedServer(), "EVS01");
    QPushButton* ok = dialog.buttons->button(QDialogButtonBox::Ok);
    dialog.serverList->setCurrentItem(nullptr);
    EXPECT_FALSE(ok->isEnabled());
    dialog.serverList->setCurrentRow(1);
    EXPECT_TRUE(ok->isEnabled());
    emit dialog.serverList->itemActivated(dialog.serverList->item(1));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.selectedServer(), "VM");
}
