#include "FormFixture.h"

using namespace app;
using testing_gui::FormTest;

TEST_F(FormTest, ErrorLogPutsNewestFirstShowingRevealsItAndClearingHidesIt) {
    form->errorLog().logWithoutContext(-2147467259, QStringLiteral("first"));
    form->errorLog().logWithContext(QStringLiteral("ctx"), 5, QStringLiteral("second"));
    const QString text = form->errorLog().text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("[")));
    EXPECT_LT(text.indexOf(QStringLiteral("ctx - ERROR: 5 second\r\n\r\n")),
              text.indexOf(QStringLiteral("] ERROR: -2147467259 first\r\n\r\n")));
    // Writing alone does not show the log.
    EXPECT_TRUE(ui().txtErr->isHidden());
    EXPECT_TRUE(ui().Command5->isHidden());
    EXPECT_TRUE(ui().txtErr->toPlainText().contains(QStringLiteral("second")));

    QWidget* area = ui().txtErr->parentWidget();
    EXPECT_TRUE(area->isHidden());  // a hidden log takes no room

    form->errorLog().show();
    EXPECT_FALSE(ui().txtErr->isHidden());
    EXPECT_FALSE(ui().Command5->isHidden());
    EXPECT_FALSE(area->isHidden());

    // "Clear Error Log" empties and hides it and makes a tree left disabled usable
    ui().TreeView1->setEnabled(false);
    ui().Command5->click();
    EXPECT_TRUE(form->errorLog().text().isEmpty());
    EXPECT_TRUE(ui().txtErr->toPlainText().isEmpty());
    EXPECT_TRUE(ui().Command5->isHidden());
    EXPECT_TRUE(area->isHidden());
    EXPECT_TRUE(ui().TreeView1->isEnabled());
}
