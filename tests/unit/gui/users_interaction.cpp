// Presses and keys on the user list's switches, the bulk boxes and the
// mouse-movement rules, with real mouse and key events on a shown list.
#include "engine_form.h"

#include "kit/Colors.h"
#include "kit/ImageLists.h"
#include "kit/MousePointer.h"
#include "users/ListInteraction.h"
#include "users/UserListModel.h"
#include "users/UserListView.h"

#include <QTest>
#include <gtest/gtest.h>

using testing_support::EngineForm;
using namespace users;

namespace {

constexpr int kIn = 1;
constexpr int kOut = 2;

class ListInteractionTest : public ::testing::Test {
protected:
    void SetUp() override {
        connectListInteraction(f.listEditing());
        add("alice", true, true);
        add("bob", false, true);
        add("carol", true, false);
        list()->setColumnWidth(0, 150);
        list()->setColumnWidth(1, 120);
        f.form.resize(1180, 760);
        f.form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&f.form));
    }

    // A row as a load puts it into the panel model and the list.
    void add(const QString& name, bool in, bool out) {
        rows.push_back({name + "@lab.test", name, QString(), {in, out}, false, false});
        f.panel.setUsers(rows);
    }
    const panel::UserRow& model(int i) { return f.panel.users()[i]; }
    std::vector<panel::UserRow> rows;

    UserListView* list() { return static_cast<UserListView*>(f.ui.ListView1); }
    QWidget* viewport() { return list()->viewport(); }
    QModelIndex cell(int r, int column) { return list()->model()->index(r, column); }
    QString image(int r, int column) { return cell(r, column).data(ImageKeyRole).toString(); }
    QModelIndex current() { return list()->currentIndex(); }

    QPoint imagePoint(int r, int column) {
        const QRect image = list()->switchImageRect(cell(r, column));
        EXPECT_FALSE(image.isEmpty());
        EXPECT_TRUE(list()->visualRect(cell(r, column)).contains(image));
        return image.center();
    }
    // On the switch's blank text, right of its image, inside the cell.
    QPoint textPoint(int r, int column) {
        const QRect image = list()->switchImageRect(cell(r, column));
        const QRect rect = list()->visualRect(cell(r, column));
        const QPoint p((image.right() + rect.right()) / 2, rect.center().y());
        EXPECT_FALSE(image.contains(p));
        EXPECT_TRUE(rect.contains(p));
        return p;
    }

    // Red and bold as the list shows a staged row, in every column.
    void expectStaged(int r, bool staged) {
        for (int c = 0; c < 3; ++c) {
            const QVariant fore = cell(r, c).data(Qt::ForegroundRole);
            EXPECT_EQ(fore.isValid() && fore.value<QColor>() == QColor(255, 0, 0), staged) << r << "," << c;
            EXPECT_EQ(cell(r, c).data(Qt::FontRole).value<QFont>().bold(), staged) << r << "," << c;
        }
    }

    EngineForm f;
};

TEST_F(ListInteractionTest, LeftPressOnASwitchImageFlipsItAndStagesTheRow) {
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, imagePoint(0, kOut));

    EXPECT_EQ(image(0, kOut), kUnchecked);
    EXPECT_EQ(image(0, kIn), kChecked);
    EXPECT_EQ(cell(0, kOut).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    EXPECT_TRUE(model(0).staged && !model(0).switches.outgoing && model(0).switches.ingoing);
    EXPECT_FALSE(model(1).staged);
    EXPECT_EQ(cell(0, kOut).data().toString(), kSwitchOnText) << "the text keeps the state as read";
    expectStaged(0, true);
    expectStaged(1, false);
    EXPECT_EQ(current().row(), 0);
    EXPECT_TRUE(list()->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(f.state.strLastSelectedItemKey, "alice@lab.test");
    f.expectPending(true, true);

    // The second press restores the image read, yet the row stays staged.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, imagePoint(0, kOut));
    EXPECT_EQ(image(0, kOut), kChecked);
    expectStaged(0, true);

    // An "off" switch of another row turns on.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, imagePoint(1, kIn));
    EXPECT_EQ(image(1, kIn), kChecked);
    expectStaged(1, true);
    EXPECT_EQ(f.state.strLastSelectedItemKey, "bob@lab.test");
}

TEST_F(ListInteractionTest, TheImageRectangleIsWhereTheSwitchIsDrawn) {
    const QRect rect = list()->switchImageRect(cell(0, kIn));
    const QImage shot = viewport()->grab().toImage();
    const QImage icon = kit::images::icon(kChecked).pixmap(rect.size()).toImage();
    ASSERT_EQ(rect.size(), icon.size());
    int opaque = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            const QColor want = icon.pixelColor(x, y);
            if (want.alpha() < 255) continue;
            ++opaque;
            ASSERT_EQ(shot.pixelColor(rect.topLeft() + QPoint(x, y)).rgb(), want.rgb()) << x << "," << y;
        }
    EXPECT_GT(opaque, 20);
    // the name cell has no switch to press
    EXPECT_TRUE(list()->switchImageRect(cell(0, 0)).isEmpty());
}

TEST_F(ListInteractionTest, PressesOffTheImagesOrWithTheRightButtonOnlySelect) {
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, textPoint(1, kIn));
    EXPECT_EQ(current().row(), 1);
    EXPECT_EQ(f.state.strLastSelectedItemKey, "bob@lab.test");
    // below the last row: the current row stays
    const QRect last = list()->visualRect(cell(2, 0));
    ASSERT_LT(last.bottom() + 20, viewport()->height());
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, QPoint(imagePoint(2, kIn).x(), last.bottom() + 20));
    EXPECT_EQ(current().row(), 1);
    EXPECT_EQ(f.state.strLastSelectedItemKey, "bob@lab.test");

    QTest::mouseClick(viewport(), Qt::RightButton, {}, imagePoint(2, kOut));
    EXPECT_EQ(current().row(), 2);
    EXPECT_EQ(f.state.strLastSelectedItemKey, "carol@lab.test");
    // the user's own icon in the name column
    const QRect nameCell = list()->visualRect(cell(0, 0));
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, QPoint(nameCell.left() + 10, nameCell.center().y()));
    EXPECT_EQ(current().row(), 0);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(image(r, kIn), r == 1 ? kUnchecked : kChecked) << r;
        EXPECT_EQ(image(r, kOut), r == 2 ? kUnchecked : kChecked) << r;
        expectStaged(r, false);
    }
    f.expectPending(false, false);
}

// A keyboard-only administrator moves to a switch with the arrow keys and flips
// it with Space; the cells name the user and the switch for a screen reader.
TEST_F(ListInteractionTest, SpaceOnTheFocusedSwitchFlipsItAndOtherKeysChangeNothing) {
    list()->setFocus();
    list()->setCurrentIndex(cell(0, 0));
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Down, Qt::Key_Return, Qt::Key_Plus}) QTest::keyClick(list(), key);
    EXPECT_EQ(current(), cell(1, 0));
    f.expectPending(false, false);

    QTest::keyClick(list(), Qt::Key_Right);  // "Journal ingoing" of bob, off
    EXPECT_EQ(current(), cell(1, kIn));
    QTest::keyClick(list(), Qt::Key_Space);
    EXPECT_EQ(image(1, kIn), kChecked);
    expectStaged(1, true);
    expectStaged(0, false);
    f.expectPending(true, true);

    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Space}) QTest::keyClick(list(), key);
    EXPECT_EQ(current(), cell(1, kOut));  // the last column, no further
    EXPECT_FALSE(model(1).switches.outgoing);

    EXPECT_EQ(cell(1, kIn).data(Qt::AccessibleTextRole).toString(), "Journal ingoing for bob: on");
    EXPECT_EQ(cell(2, kOut).data(Qt::AccessibleTextRole).toString(), "Journal outgoing for carol: off");
    EXPECT_TRUE(cell(2, kOut).flags() & Qt::ItemIsUserCheckable);
}

TEST_F(ListInteractionTest, BulkBoxesSetOneSwitchOfEveryRowAndStageEveryRow) {
    for (QCheckBox* bulk : {f.ui.Check1, f.ui.Check2}) bulk->setEnabled(true);
    f.ui.TreeView1->setEnabled(false);  // as a picker leaves it

    f.panel.beginBusy();  // clicks while a load runs do nothing
    f.ui.Check1->click();
    EXPECT_EQ(image(1, kIn), kUnchecked);
    expectStaged(0, false);
    f.expectPending(false, false);
    f.ui.Check1->setChecked(false);
    f.panel.endBusy();

    f.ui.Check1->click();  // "All ingoing" checked
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(image(r, kIn), kChecked) << r;
        expectStaged(r, true);  // also rows that were already on
    }
    EXPECT_EQ(image(2, kOut), kUnchecked) << "the other switch is left alone";
    EXPECT_TRUE(f.ui.TreeView1->isEnabled());
    f.expectPending(true, true);

    f.ui.Check1->click();  // unchecked
    for (int r = 0; r < 3; ++r) EXPECT_EQ(image(r, kIn), kUnchecked) << r;
    f.ui.Check2->click();
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(image(r, kOut), kChecked) << r;
        EXPECT_TRUE(model(r).staged && !model(r).switches.ingoing && model(r).switches.outgoing) << r;
    }
}

TEST_F(ListInteractionTest, PointersFollowTheWindowAndMovingOverTheListEnablesTheTree) {
    kit::setMousePointer(&f.form, kit::vbHourglass);
    f.ui.TreeView1->setEnabled(false);
    QTest::mouseMove(viewport(), imagePoint(0, kIn));
    EXPECT_EQ(kit::mousePointer(list()), kit::vbHourglass);
    EXPECT_TRUE(f.ui.TreeView1->isEnabled());
    QTest::mouseMove(f.ui.TreeView1->viewport(), QPoint(5, 5));
    EXPECT_EQ(kit::mousePointer(f.ui.TreeView1), kit::vbHourglass);

    kit::setMousePointer(&f.form, kit::vbDefault);
    QTest::mouseMove(viewport(), imagePoint(1, kIn));
    EXPECT_EQ(kit::mousePointer(list()), kit::vbDefault);
    expectStaged(0, false);
}

}  // namespace
